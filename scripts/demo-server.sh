#!/usr/bin/env bash
# A private MariaDB server for trying Quirel's server mode on one machine.
#   scripts/demo-server.sh        start it (or show how to reach it when it runs)
#   scripts/demo-server.sh stop   stop it
# The data folder lives under the user's cache; the server listens on 127.0.0.1 only, on a
# free port, and has one demo login whose database holds a memo table with a few memos.
set -euo pipefail
cd "$(dirname "$0")/.."

root="${XDG_CACHE_HOME:-$HOME/.cache}/quirel/demo-server"
data="$root/data"
pidfile="$root/mariadbd.pid"
portfile="$root/port"
socket="$root/mariadbd.sock"
user=demo
password=demo

running() { [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; }

show() {
  cat <<TXT
The demo server runs on 127.0.0.1, port $(cat "$portfile").
In Quirel choose ファイル › Brindle Hub DBを開く and type:
  ホスト:   127.0.0.1:$(cat "$portfile")
  ユーザー: $user
  パスワード: $password
then pick the table "memo". Stop the server with: scripts/demo-server.sh stop
TXT
}

if [ "${1:-start}" = stop ]; then
  if running; then
    pid=$(cat "$pidfile")
    kill "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    echo "The demo server has stopped."
  else
    echo "The demo server is not running."
  fi
  exit 0
fi

if running; then
  show
  exit 0
fi

scripts/setup.sh
mkdir -p "$root"
if [ ! -d "$data/mysql" ]; then
  rm -rf "$data"
  mariadb-install-db --no-defaults --datadir="$data" --user="$(id -un)" \
    --auth-root-authentication-method=socket --skip-test-db >"$root/install.log" 2>&1 \
    || { echo "mariadb-install-db failed; see $root/install.log" >&2; exit 1; }
  fresh=1
fi

# A free port: the first one from a random start that nothing answers on.
port=$((20000 + RANDOM % 30000))
while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
echo "$port" >"$portfile"

mariadbd --no-defaults --datadir="$data" --port="$port" --bind-address=127.0.0.1 \
  --socket="$socket" --pid-file="$pidfile" --user="$(id -un)" \
  --log-error="$root/error.log" >/dev/null 2>&1 &
for _ in $(seq 150); do
  [ -S "$socket" ] && mariadb --no-defaults --socket="$socket" -u "$(id -un)" -e 'select 1' >/dev/null 2>&1 && break
  sleep 0.2
done
running || { echo "The server did not start; see $root/error.log" >&2; exit 1; }

if [ "${fresh:-0}" = 1 ]; then
  # The memo table as Quirel creates it, and a few memos in the font text of a new memo.
  font='//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,ＭＳ Ｐ明朝'
  mariadb --no-defaults --socket="$socket" -u "$(id -un)" --default-character-set=utf8 <<SQL
CREATE USER '$user'@'%' IDENTIFIED BY '$password';
CREATE DATABASE $user;
GRANT ALL ON $user.* TO '$user'@'%';
USE $user;
create table memo (nID int not null primary key auto_increment,Title char(128),TheKeys text,CreatedAt timestamp,TheDateTime datetime,MainData MEDIUMTEXT,LogFont text,AttachID char(24),MailID char(128) default '',INDEX TheDateIndex(TheDateTime),INDEX CreatedAtIndex(CreatedAt),INDEX MailIDIndex(MailID)) ENGINE=MyISAM DEFAULT CHARSET=utf8;
INSERT INTO memo (Title, TheKeys, CreatedAt, TheDateTime, MainData, LogFont, AttachID) VALUES
 ('買い物リスト', '買い物', NOW(), NOW(), '牛乳\n食パン\n卵 10個\n', '$font', 'demoaaaaaaaaaaaaaaaaaaaa'),
 ('会議メモ 12月', '会議,予定', NOW(), NOW(), '日時: 12月8日 10:00\n議題: 来年度の計画\n', '$font', 'demobbbbbbbbbbbbbbbbbbbb'),
 ('読書記録', '本', NOW(), NOW(), '「吾輩は猫である」を読み終えた。\n', '$font', 'democccccccccccccccccccc');
SQL
fi
show
