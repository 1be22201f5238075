adu1.0sl
Orvane Draw 5.0.2

1
draw-5.0.2.zip
Korrekturen für Orvane Draw 5.0.
