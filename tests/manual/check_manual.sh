#!/usr/bin/env bash
# The built manual is a real PDF that an independent reader opens: its chapters, the set-up facts
# an operator needs, and every picture of the source are in it.
#   check_manual.sh "Manuel Wellvue.pdf" manuel.md
set -euo pipefail
pdf=$1 source=$2
# Ligatures of the PDF fonts back to letters.
text=$(pdftotext -layout "$pdf" - | sed "s/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬀ/ff/g; s/ﬃ/ffi/g")
for want in "Installation sur un ordinateur portable" "dialout" "sudo usermod -aG dialout" \
            "Une descente" "ZERO eau" "calibration" "recalage" "coupure de courant" \
            "Les fichiers" "CP1252" "Dépannage"; do
  grep -qiF -- "$want" <<<"$text" || { echo "missing from the manual: $want"; exit 1; }
done
pictures=$(grep -c '!\[' "$source")
found=$(pdfimages -list "$pdf" | tail -n +3 | wc -l)
[ "$found" -ge "$pictures" ] || { echo "$found pictures in the PDF for $pictures in the source"; exit 1; }
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
[ "$pages" -ge 5 ] || { echo "only $pages pages"; exit 1; }
echo "manual: $pages pages, $found pictures"
