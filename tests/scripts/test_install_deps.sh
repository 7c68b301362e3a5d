#!/usr/bin/env bash
# scripts/install-deps.sh waits for another package manager instead of failing, as it must in the first minutes
# after a fresh Debian boots (unattended upgrades). It runs here on an apt and dpkg state of its own (APT_CONFIG,
# DPKG_ADMINDIR: no source, no package installed), while a stand-in package manager holds first dpkg's lock, then
# the package lists' lock, and lets go only once it sees the script wait for it. The package asked for exists
# nowhere, so nothing is installed: apt's "Unable to locate package" shows that the script got past the lock.
# Usage: test_install_deps.sh PATH/TO/install-deps.sh
set -euo pipefail
install_deps=$1
if ! command -v apt-get >/dev/null; then
  echo "skipped: no apt-get here, and install-deps.sh is for Debian"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work"/{lists/partial,dpkg/updates,cache/archives/partial,etc/apt.conf.d,etc/sources.list.d,etc/preferences.d}
touch "$work/dpkg/status" "$work/etc/sources.list"
cat >"$work/apt.conf" <<CONF
Dir::State::Lists "$work/lists";
Dir::State::status "$work/dpkg/status";
Dir::Cache "$work/cache";
Dir::Etc::SourceList "$work/etc/sources.list";
Dir::Etc::SourceParts "$work/etc/sources.list.d";
Dir::Etc::Parts "$work/etc/apt.conf.d";
Dir::Etc::PreferencesParts "$work/etc/preferences.d";
CONF
export APT_CONFIG="$work/apt.conf" DPKG_ADMINDIR="$work/dpkg"
if [[ $(id -u) -ne 0 ]]; then  # the private state needs no root: a sudo that runs the command as it is
  mkdir "$work/bin"
  printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
  chmod +x "$work/bin/sudo"
  export PATH="$work/bin:$PATH"
fi

# Holds the lock file $1 with fcntl, as apt and dpkg lock, until a process below the one whose pid appears in $2 is
# asleep: apt-get waiting for the lock, or the script between two tries. Fails when that process ends first.
cat >"$work/hold.py" <<'PY'
import fcntl, os, sys, time
lock = os.open(sys.argv[1], os.O_RDWR | os.O_CREAT, 0o640)
fcntl.lockf(lock, fcntl.LOCK_EX)
print("held", flush=True)
while not os.path.exists(sys.argv[2]) or not open(sys.argv[2]).read().strip():
    time.sleep(0.05)
script = int(open(sys.argv[2]).read())

def parent(pid):
    try:
        return int(open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()[1])
    except (OSError, IndexError, ValueError):
        return 0

def below_script(pid):
    while pid > 1:
        pid = parent(pid)
        if pid == script:
            return True
    return False

def asleep(pid):
    try:
        return "nanosleep" in open(f"/proc/{pid}/wchan").read()
    except OSError:
        return False

while os.path.exists(f"/proc/{script}"):
    if any(below_script(int(p)) and asleep(int(p)) for p in os.listdir("/proc") if p.isdigit()):
        sys.exit(0)
    time.sleep(0.05)
print("the script ended without waiting for the lock", file=sys.stderr)
sys.exit(1)
PY

failures=0
for lock in dpkg/lock-frontend lists/lock; do
  rm -f "$work/script.pid" "$work/held"
  python3 "$work/hold.py" "$work/$lock" "$work/script.pid" >"$work/held" &
  holder=$!
  until [[ -s "$work/held" ]]; do sleep 0.05; done
  "$install_deps" orvessa-test-no-such-package >"$work/out" 2>"$work/err" &
  echo $! >"$work/script.pid"
  status=0
  wait $! || status=$?
  holder_status=0
  wait "$holder" || holder_status=$?
  if [[ $holder_status -eq 0 && $status -ne 0 ]] && grep -q "Unable to locate package orvessa-test-no-such-package" \
    "$work/err" && ! grep -q "Could not get lock" "$work/err"; then
    echo "ok    waits while another package manager holds $lock"
  else
    echo "FAIL  waits while another package manager holds $lock (status $status, holder $holder_status):"
    cat "$work/err"
    failures=$((failures + 1))
  fi
done
echo "$((2 - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]
