#!/usr/bin/env bash
# Lists x87 arithmetic in the objects of a build: no-x87.sh OBJDUMP BUILD_DIR. Fails if any.
# Allowed: what the i386 calling convention and 64-bit integer conversions need (loads and
# stores of the x87 stack, fild/fist with the control word, fxch, fcmov), none of which rounds
# differently from SSE2.
set -uo pipefail
objdump=$1 dir=$2
banned='f(add|sub|subr|mul|div|divr|iadd|isub|isubr|imul|idiv|idivr|com|comp|compp|comi|comip|ucom|ucomp|ucompp|ucomi|ucomip|icom|icomp|chs|abs|sqrt|sin|cos|sincos|ptan|patan|prem|prem1|rndint|scale|xtract|2xm1|yl2x|yl2xp1|tst|xam)[lsp]?'
objs=$(find "$dir" -name '*.obj' -not -path '*/googletest/*' -not -path '*/deps/*')
[ -n "$objs" ] || { echo "no objects under $dir"; exit 1; }
bad=0 count=0
for o in $objs; do
  count=$((count + 1))
  hits=$("$objdump" -d --no-show-raw-insn -C "$o" |
    awk -v re="^$banned\$" '/^[0-9a-f]+ </ { fn = $0 } $1 ~ /:$/ && $2 ~ re { print "  " fn " " $2; n++ } n >= 5 { exit }')
  if [ -n "$hits" ]; then
    echo "x87 arithmetic in $o:"; echo "$hits"; bad=1
  fi
done
echo "$count objects checked"
exit $bad
