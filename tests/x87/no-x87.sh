#!/usr/bin/env bash
# Lists x87 arithmetic in the objects of a build: no-x87.sh OBJDUMP BUILD_DIR. Fails if any.
# Allowed: what the i386 calling convention and 64-bit integer conversions need (loads and
# stores of the x87 stack, fild/fist with the control word, fxch, fcmov), none of which rounds
# differently from SSE2; also `fadds` of the constant 2^64 (float 0x5f800000), with which an
# unsigned 64-bit conversion corrects what fildll loaded when the top bit was set (exact, then
# one rounding on the store).
set -uo pipefail
objdump=$1 dir=$2
banned='f(add|sub|subr|mul|div|divr|iadd|isub|isubr|imul|idiv|idivr|com|comp|compp|comi|comip|ucom|ucomp|ucompp|ucomi|ucomip|icom|icomp|chs|abs|sqrt|sin|cos|sincos|ptan|patan|prem|prem1|rndint|scale|xtract|2xm1|yl2x|yl2xp1|tst|xam)[lsp]?'
objs=$(find "$dir" -name '*.obj' -not -path '*/googletest/*' -not -path '*/deps/*')
[ -n "$objs" ] || { echo "no objects under $dir"; exit 1; }
bad=0 count=0
# The 4 bytes at an offset of an object's .rdata, as objdump -s prints them ("0000805f").
rdata_word() {
  local want=$(($2)) addr w1 w2 w3 w4 rest base hex
  while read -r addr w1 w2 w3 w4 rest; do
    [[ $addr =~ ^[0-9a-f]{4,}$ ]] || continue
    base=$((16#$addr))
    if [ "$want" -ge "$base" ] && [ "$want" -lt $((base + 16)) ]; then
      hex="$w1$w2$w3$w4"
      echo "${hex:$(((want - base) * 2)):8}"
      return
    fi
  done < <("$objdump" -s -j .rdata "$1")
}
for o in $objs; do
  count=$((count + 1))
  # Each banned instruction with its function; an fadds from .rdata also with its offset.
  hits=$("$objdump" -dr --no-show-raw-insn -C "$o" |
    awk -v re="^$banned\$" '
      function flush() { if (pend != "") { print pend (rd ? " " off : ""); pend = "" } }
      /dir32[ \t]+\.rdata/ { if (pend ~ /\|fadds$/) rd = 1; next }
      /^[0-9a-f]+ </ { flush(); fn = $0; next }
      $1 ~ /:$/ { flush(); if ($2 ~ re) { pend = fn "|" $2; off = $3; rd = 0 }; next }
      END { flush() }' |
    while IFS= read -r hit; do
      op=${hit##*|}
      if [ "${op%% *}" = fadds ] && [ "${op#* }" != "$op" ] && [ "$(rdata_word "$o" "${op#* }")" = 0000805f ]; then
        continue
      fi
      echo "  ${hit%%|*} ${op%% *}"
    done | head -n 5)
  if [ -n "$hits" ]; then
    echo "x87 arithmetic in $o:"; echo "$hits"; bad=1
  fi
done
echo "$count objects checked"
exit $bad
