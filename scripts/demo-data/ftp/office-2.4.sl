adu1.0sl
Orvane Office 2.4

1
office-2.4.zip
Orvane Office 2.4: schnellere Berichte, neue Briefvorlagen und behobene Druckprobleme.
