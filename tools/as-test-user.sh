#!/usr/bin/env bash
# Runs a command as "orvalis-tests", a throwaway unprivileged user made here when missing, so
# that the tests of refused writes, unreadable folders and failed deletes run where root would
# pass every permission check. Must be started as root. The user gets no capabilities and no
# groups; the environment is kept (the test main redirects HOME and the settings itself).
#
# The user must reach the command's folder. When a folder above it is closed to others (a clone
# under /root, say), the command runs in a mount namespace of its own in which that folder is
# an empty tmpfs holding only the command's folder, bound at the same path, so the programs'
# compiled-in paths still hold and nothing outside changes.
# Usage: as-test-user.sh <program> [argument]...
set -euo pipefail
user=orvalis-tests
if ! id -u "$user" >/dev/null 2>&1; then
  # Programs started side by side may each find the user missing: one makes it while the others
  # wait, and they find it made.
  (
    flock 9
    id -u "$user" >/dev/null 2>&1 ||
      useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  ) 9>/tmp/orvalis-tests-user.lock
fi
drop=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups
      --inh-caps=-all --bounding-set=-all --)
program="$(realpath "$1")"
shift
if "${drop[@]}" test -x "$program"; then
  exec "${drop[@]}" "$program" "$@"
fi

# The topmost folder on the way that the user may not pass, and the tree the programs need:
# the repository (sources, test data) holding the build folder.
tree="$(cd "$(dirname "$0")/.." && pwd)"
closed=""
path=""
IFS=/ read -ra parts <<<"${tree#/}"
for part in "${parts[@]}"; do
  path="$path/$part"
  if ! "${drop[@]}" test -x "$path"; then
    closed="$path"
    break
  fi
done
if [ -z "$closed" ]; then
  echo "as-test-user.sh: $user cannot run $program" >&2
  exit 1
fi
exec unshare --mount --propagation private -- bash -c '
  set -euo pipefail
  stage="$(mktemp -d)"
  mount --bind "$1" "$stage"
  mount -t tmpfs -o mode=755 orvalis-tests "$2"
  mkdir -p "$1"
  mount --bind "$stage" "$1"
  umount "$stage"
  rmdir "$stage"
  shift 2
  exec "$@"' bash "$tree" "$closed" "${drop[@]}" "$program" "$@"
