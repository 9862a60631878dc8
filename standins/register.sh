# Sourced by the test scripts after dp_wine_env/wineboot: registers the Active Desktop and Flash
# stand-ins of build/PRESET in the current prefix ($WINEPREFIX, run through dp_wine).
dp_register_standins() {
  local p=$1
  local top=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
  local exe="$top/build/$p/bin/standin_register.exe"
  if [ ! -f "$exe" ]; then
    echo "dp_register_standins: $exe is not built" >&2
    return 1
  fi
  dp_wine "$exe" </dev/null
}
