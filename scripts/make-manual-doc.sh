#!/usr/bin/env bash
# Makes help/Nollard用户手册.doc, the user manual as a word-processor document,
# from help/htmlNollard用户手册.htm and the pictures beside it. Run it after
# changing the HTML manual and commit both; neither the build nor the tests
# need the office suite that this script installs.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v soffice >/dev/null 2>&1; then
  SUDO=()
  [ "$(id -u)" = 0 ] || SUDO=(sudo)
  "${SUDO[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends \
    libreoffice-writer-nogui fonts-wqy-microhei >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The office suite keeps its profile out of the user's home.
profile="file://$work/profile"
# The document must carry its pictures (the HTML only links them), so that
# the .doc stands on its own: the pictures go into a copy of the HTML as data
# URIs, which the office suite imports as embedded graphics. A picture wider
# than the page's text (16 cm, about 600 pixels) is scaled down to it.
perl -MMIME::Base64 -0777 -pe '
  s{src="([^":/]+\.png)"}{
    open(my $f, "<:raw", "help/$1") or die "help/$1: $!";
    local $/; my $png = <$f>; close $f;
    my ($w, $h) = unpack("NN", substr($png, 16, 8));
    my $size = $w > 600 ? sprintf(" width=\"600\" height=\"%d\"", $h * 600 / $w) : "";
    "src=\"data:image/png;base64," . encode_base64($png, "") . "\"$size"
  }ge' "help/htmlNollard用户手册.htm" > "$work/manual.htm"
soffice -env:UserInstallation="$profile" --headless \
  --infilter="HTML (StarWriter)" \
  --convert-to 'doc:MS Word 97' --outdir "$work" "$work/manual.htm" >/dev/null
mv "$work/manual.doc" "help/Nollard用户手册.doc"
echo "help/Nollard用户手册.doc written"
