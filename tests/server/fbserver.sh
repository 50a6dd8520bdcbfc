#!/usr/bin/env bash
# Starts or stops a private Firebird server for tests: its own root folder, configuration,
# security database and loopback port; never the system's service.
#   fbserver.sh start DIR PORT PASSWORD   -> prints the server's process ID
#   fbserver.sh stop DIR
set -euo pipefail
cmd=$1; dir=$2
sys=/usr/lib/x86_64-linux-gnu/firebird/3.0
case "$cmd" in
start)
  port=$3; pw=$4
  mkdir -p "$dir/data" "$dir/lock"
  for f in plugins lib firebird.msg; do ln -sfn "$sys/$f" "$dir/$f"; done
  # Configuration files are copied, not linked: the engine resolves $(this) and $(root) in them
  # from where it finds them.
  mkdir -p "$dir/intl"
  cp "$sys/intl/libfbintl.so" "$dir/intl/libfbintl.so"
  cp "$(readlink -f "$sys/intl/fbintl.conf")" "$dir/intl/fbintl.conf"
  cp "$(readlink -f "$sys/plugins.conf")" "$dir/plugins.conf"
  cp /var/lib/firebird/3.0/system/security3.fdb "$dir/security3.fdb"
  chmod 600 "$dir/security3.fdb"
  cat > "$dir/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $dir/security3.fdb
IpcName = fdtest_$port
AuthServer = Srp
AuthClient = Srp
UserManager = Srp
WireCrypt = Enabled
ServerMode = Super
CONF
  export FIREBIRD="$dir" FIREBIRD_LOCK="$dir/lock"
  echo "create or alter user SYSDBA password '$pw' using plugin Srp; commit;" \
    | isql-fb -q "$dir/security3.fdb" -user SYSDBA >/dev/null
  nohup /usr/sbin/firebird >"$dir/server.log" 2>&1 &
  pid=$!
  echo "$pid" > "$dir/server.pid"
  # Wait until the port answers.
  for _ in $(seq 1 100); do
    if (exec 3<>/dev/tcp/127.0.0.1/"$port") 2>/dev/null; then echo "$pid"; exit 0; fi
    kill -0 "$pid" 2>/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    sleep 0.1
  done
  echo "server did not start" >&2; kill "$pid" 2>/dev/null || true; exit 1
  ;;
stop)
  if [ -f "$dir/server.pid" ]; then
    pid=$(cat "$dir/server.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/server.pid"
  fi
  ;;
esac
