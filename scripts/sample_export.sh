#!/usr/bin/env bash
# Writes a sample export file "kasa.exp" as the host would: VAT rates, units,
# goods groups, cashiers, the euro rate, three returnable packages and N goods
# (default 300) with weighed goods under a weighed barcode, drinks tied to a
# bottle package and one name with Polish letters (Windows-1250).
#   sample_export.sh OUT [N]
set -euo pipefail
out="$1"
n="${2:-300}"
awk -v n="$n" 'BEGIN {
  ORS = "\r\n"
  print "# kasa.exp: sample export of the demo"
  print "VAT;23"; print "VAT;8"; print "VAT;5"; print "VAT;0"; print "VAT;-1"
  print "JM;1;0;szt."; print "JM;2;3;kg"; print "JM;3;0;litr"
  split("Pieczywo;Nabial;Owoce i warzywa;Napoje;Chemia", g, ";")
  for (i = 1; i <= 5; i++) print "ASS;" i ";" g[i]
  print "OPER;1;Kowalska Anna;1;KOW;1000000001"
  print "OPER;2;Nowak Jan;0;NOW;1000000002"
  print "OPER;3;Wisniewska Ewa;1;WIS;"
  print "EURO;43210"
  # Packages: the barcode field is the package number.
  print "PLU;9001;19001;1;Butelka 0.5l;50;50;50;50;23;1;F;0;F;T;F;0;0;4;DOD"
  print "PLU;9002;19002;2;Skrzynka;1000;1000;1000;1000;23;1;F;0;F;T;F;0;0;4;DOD"
  print "PLU;9003;19003;3;Butelka 1l;80;80;80;80;23;1;F;0;F;T;F;0;0;4;DOD"
  split("23;8;5;0", vat, ";")
  for (i = 1; i <= n; i++) {
    group = (i - 1) % 5 + 1
    unit = group == 3 ? 2 : (group == 4 ? 3 : 1)
    weighed = group == 3 ? "T" : "F"
    prec = group == 3 ? 3 : 0
    pack = group == 4 && i % 2 == 0 ? "1" : "0"
    price = 99 + (i * 37) % 2000
    code = sprintf("590%010d", i)
    name = sprintf("Towar %s %d", g[group], i)
    if (i == 3) { code = "2812345?????"; name = "Ser zolty wazony" }
    if (i == 7) name = "Jab\xb3ka luz"
    print "PLU;" i ";" 10000 + i ";" code ";" name ";" price ";" price ";" price ";" price ";" vat[(i - 1) % 4 + 1] ";" \
          unit ";" weighed ";" prec ";F;F;" (group == 3 ? "T" : "F") ";" pack ";0;" group ";DOD"
  }
}' > "$out"
