#!/usr/bin/env bash
# Checks that the source folders are layers that point down: a file includes
# headers of its own folder and of the folders below it only, and X headers
# only in the user interface (which holds the X drawing target) and in the
# developer harness.
#
#   bash scripts/check-layers.sh [TREE]
#
# Prints every include that breaks the order and exits 1; exits 0 when there
# is none.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)

# Folders from the bottom up. The headless tools stand on the views; the
# developer harness on the user interface.
layers=(core indicators data query market paint views ui main)
rank_of() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}
tool_rank=$(rank_of views)
x_rank=$(rank_of ui)

bad=0
while IFS= read -r file; do
  rel=${file#"$root"/}
  case $rel in
    src/*) folder=${rel#src/}; folder=${folder%%/*}; own=$(rank_of "$folder") ;;
    tools/dev/*) own=$(rank_of main) ;;
    tools/*) own=$tool_rank ;;
  esac
  if [ "$own" -lt 0 ]; then
    echo "$rel: its folder is no layer"
    bad=1
    continue
  fi
  while IFS=: read -r line text; do
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<X11/ ]]; then
      if [ "$own" -lt "$x_rank" ]; then
        echo "$rel:$line: an X header below the user interface: ${text#*include}"
        bad=1
      fi
    elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([a-z]+)/ ]]; then
      target=${BASH_REMATCH[1]}
      [ "$target" = tools ] && continue
      r=$(rank_of "$target")
      if [ "$r" -lt 0 ] || [ "$r" -gt "$own" ]; then
        echo "$rel:$line: includes a layer above its own: ${text#*include}"
        bad=1
      fi
    fi
  done < <(grep -n '#[[:space:]]*include' "$file" || true)
done < <(find "$root/src" "$root/tools" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

if [ "$bad" -ne 0 ]; then
  echo "check-layers: includes that point up (order: ${layers[*]})"
  exit 1
fi
echo "check-layers: every include points down (${layers[*]})"
