adu1.0sl
Orvane Mail 2.0

2
http://www.example.org/orvane-mail-2
Orvane Mail 2.0 ist erschienen. Die neue Version erhalten Sie auf unserer Website.
