#!/usr/bin/env bash
# Takes the manual's pictures (help/*.png) from the program itself: it
# prepares a fresh embedded demo database in a scratch folder, starts Nollard
# on a private X display and walks through the windows by keyboard, as a
# clerk would, taking each window as it is shown. Run it after changing a
# window, look at the pictures, commit them, and run make-manual-doc.sh so
# that the word-processor manual carries them too.
#
#   scripts/take-screenshots.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
build=$(cd "${1:-build}" && pwd)
[ -x "$build/nollard" ] && [ -x "$build/dbadmin" ] || {
  echo "no nollard and dbadmin in $build: build first (scripts/build.sh)" >&2
  exit 1
}

missing=()
for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=()
  [ "$(id -u)" = 0 ] || SUDO=(sudo)
  "${SUDO[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" fonts-wqy-microhei >/dev/null
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A display nobody uses, at the size of the administration's desktops.
display=140
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
# A home of its own: remembered window places and report fields start empty,
# so every picture shows a window as it first opens.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The program's working folder: its data folders and a demo database.
cd "$work"
for folder in report help db; do ln -s "$build/$folder" "$folder"; done
mkdir config
printf '[database]\nProvider=SQLite\nData Source=nollard.db\nInitial Catalog=nollard\nUser ID=nollard\nPassword=nollard\n' \
  >config/config.ini
"$build/dbadmin" prepare-demo >/dev/null

window() { # the id of the shown window whose title is exactly $1
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1) && [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "window \"$1\" did not open" >&2; exit 1; }
  echo "$id"
}
gone() { # waits until no window titled $1 is shown
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "window \"$1\" did not close" >&2
  exit 1
}
keys() { xdotool key --clearmodifiers --delay 120 "$@"; sleep 0.5; }
typed() { xdotool type --delay 60 "$1"; sleep 0.2; }
shot() { # takes the window titled $1 as help/$2.png
  local id
  id=$(window "$1")
  sleep 0.8
  import -window "$id" "$repo/help/$2.png"
  echo "help/$2.png"
}
# Without a window manager nobody hands a newly shown window the keyboard; a
# desktop's window manager does. This gives it the X input focus, which is not
# a mouse event: everything the program receives is keys.
keyboard_to() { # gives the keyboard to the window titled $1
  xdotool windowfocus --sync "$(window "$1")"
  sleep 0.3
}
login() { # logs in as $1 (every demo account's password is 1234)
  keyboard_to "系统登录"
  keys alt+l ctrl+a
  typed "$1"
  keys alt+p ctrl+a
  typed 1234
  keys Return
  keyboard_to "Nollard"
}
switch_to() { # identity switch to account $1
  keyboard_to "Nollard"
  keys alt+9
  login "$1"
}
close() { # closes the dialog titled $1 with Escape
  keyboard_to "$1"
  keys Escape
  gone "$1"
}

"$build/nollard" >"$work/nollard.log" 2>&1 &
pids+=($!)

# Login, then an inspection section leader's unreviewed list.
shot "系统登录" login
login cjld
keys alt+1 ctrl+l space
shot "Nollard" main
keys alt+z
typed "检验内容与收费项目不符"
shot "Nollard" review
keys ctrl+a Delete

# An inspection clerk's new notice and its fee lines.
switch_to cj
keys alt+n alt+u
typed "海丰号"
keys alt+y Down alt+k Down alt+g Down
shot "Nollard" new_notice
keys alt+m
keyboard_to "收费项目"
typed "1200*0.05"
keys Return Down
typed "(30+20)*4"
keys Return Down
shot "收费项目" item_editor
keys alt+s
gone "收费项目"
keyboard_to "Nollard"
keys alt+s
# One more, made by mistake and deleted: the leader can restore it.
keys alt+n alt+u
typed "误开船"
keys alt+s alt+1 ctrl+l space alt+d

# A ship affairs clerk prints a notice: the print preview.
switch_to cw
keys alt+2 ctrl+l space alt+p
shot "打印预览" preview
close "打印预览"

# The bill window of the ship affairs section.
switch_to cwsh
keys alt+7
keyboard_to "船务科票据管理"
keys alt+1 space
shot "船务科票据管理" bills
close "船务科票据管理"

# Finance: statistics and plan, the reports.
switch_to cwkld
keys alt+8
keyboard_to "财务科统计和计划安排"
keys alt+y
shot "财务科统计和计划安排" statistics
close "财务科统计和计划安排"
keyboard_to "Nollard"
keys alt+6
keyboard_to "统计报表"
keys alt+y
shot "统计报表" reports
close "统计报表"

# The inspection leader's master data.
switch_to cjld
keys alt+b u
shot "用户管理" useradmin
close "用户管理"
keyboard_to "Nollard"
keys alt+b j
shot "船检科收费项目.*" catalogue
close "船检科收费项目.*"
keyboard_to "Nollard"
keys alt+b c
shot "记账公司管理" namelist
close "记账公司管理"

# Own account, a theme, about.
keyboard_to "Nollard"
keys alt+t p
shot "账号和密码更改" password
close "账号和密码更改"
keyboard_to "Nollard"
keys alt+1 ctrl+l space alt+v 8
shot "Nollard" themes
keys alt+v 1 alt+h a
shot "关于本软件" about
close "关于本软件"

# The history of a notice, restoring deleted notices, the change record.
keyboard_to "Nollard"
keys alt+1 ctrl+l space ctrl+h
shot "通知单历史 .*" history
close "通知单历史 .*"
keyboard_to "Nollard"
keys alt+r r
shot "恢复已删除的通知单" deleted
close "恢复已删除的通知单"
keyboard_to "Nollard"
keys alt+b m
shot "修改记录" audit
close "修改记录"
keyboard_to "Nollard"
keys ctrl+q

# The configuration program, on its own.
"$build/dbadmin" >"$work/dbadmin.log" 2>&1 &
pids+=($!)
shot "客户端数据库配置" config
