# tree-compare.sh - sourced by the differential tests: how a tree of files is described so that
# two hosts' trees compare line by line.

# One line per entry below $1: kind, name, size, modification time, the attributes Windows
# sees (read-only: no owner write bit; hidden and system: bits 2 and 4 of user.DOSATTRIB, the
# rest of that attribute is not read back) and a digest of the bytes.
describe_tree() {
  (cd "$1" && find . -mindepth 1 -print0 | LC_ALL=C sort -z | while IFS= read -r -d '' p; do
    dosattrib=$(getfattr --only-values --absolute-names -n user.DOSATTRIB "$p" 2>/dev/null || echo 0)
    mode=$(stat -c %a "$p")
    attributes=$(((dosattrib & 6) | ((${mode:0:1} & 2) ? 0 : 1)))
    if [ -d "$p" ]; then
      echo "dir  $p attributes $attributes"
    else
      echo "file $p size $(stat -c %s "$p") mtime $(stat -c %y "$p") attributes $attributes" \
        "sha256 $(sha256sum <"$p" | cut -c1-16)"
    fi
  done)
}
