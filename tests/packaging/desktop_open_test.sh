#!/bin/sh
# The window's opener of documents, without Wine: it hands each to the
# desktop's xdg-open, passes its exit status on, and tells the user the path
# of a document the desktop could not open, in the user's language.
#   desktop_open_test.sh OPENER
set -u
opener=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Stand-ins: the desktop's xdg-open records what it is given and ends with
# $OPEN_STATUS; xmessage records the text it would show.
mkdir "$work/bin"
printf '#!/bin/sh\necho "$*" >>"$WORK/opened"\nexit "$OPEN_STATUS"\n' >"$work/bin/xdg-open"
printf '#!/bin/sh\nfor text; do :; done\necho "$text" >>"$WORK/told"\n' >"$work/bin/xmessage"
chmod +x "$work/bin/xdg-open" "$work/bin/xmessage"

# desktop's status | language | document | told (empty: nothing)
while IFS='|' read -r status language document told; do
  : >"$work/opened"
  : >"$work/told"
  got=0
  env -u LC_ALL -u LC_MESSAGES WORK="$work" OPEN_STATUS=$status LANG=$language \
    THALWEN_DESKTOP_PATH="$work/bin:/usr/bin:/bin" "$opener" "$document" || got=$?
  [ "$got" = "$status" ] || fail "$document: status $got, not $status"
  [ "$(cat "$work/opened")" = "$document" ] || fail "$document: the desktop was given '$(cat "$work/opened")'"
  sleep 0.2  # the message is shown in the background
  [ "$(cat "$work/told")" = "$told" ] || fail "$document ($status, $language): told '$(cat "$work/told")', not '$told'"
done <<'TABLE'
0|C|file:///usr/share/thalwen/license.pdf|
3|C|file:///usr/share/thalwen/license.pdf|The desktop could not open /usr/share/thalwen/license.pdf
4|fr_FR.UTF-8|file:///opt/a%20b/th%C3%A9orie%25.pdf|Le bureau n'a pas pu ouvrir /opt/a b/théorie%.pdf
2|en_GB.UTF-8|https://www.teos-10.org/|The desktop could not open https://www.teos-10.org/
TABLE

[ $failures -eq 0 ] || exit 1
echo "the opener passed"
