#!/usr/bin/env bash
# A single-node Slurm cluster on this machine, for the cluster tests: everything it writes lies
# in one folder (the configuration, munge's key and socket, the daemons' state, spool, logs and
# pid files), and it stops exactly the daemons it started, by their pids.
#   bash tools/slurm_cluster.sh start DIR   starts munged, slurmctld and slurmd; waits until the
#                                           node is idle; prints "export SLURM_CONF=DIR/slurm.conf"
#   bash tools/slurm_cluster.sh stop DIR    stops them and waits until they are gone
# Needs root and Debian's slurm-wlm and munge packages.
set -euo pipefail
what="${1:?usage: slurm_cluster.sh start|stop DIR}"
dir="${2:?usage: slurm_cluster.sh start|stop DIR}"
dir="$(cd "$(dirname "$dir")" && pwd)/$(basename "$dir")"

stop_pid_file() {
  local file="$1" pid
  [ -s "$file" ] || return 0
  pid="$(cat "$file")"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}

if [ "$what" = stop ]; then
  stop_pid_file "$dir/run/slurmd.pid"
  stop_pid_file "$dir/run/slurmctld.pid"
  stop_pid_file "$dir/munge/munged.pid"
  exit 0
fi
[ "$what" = start ] || { echo "usage: slurm_cluster.sh start|stop DIR" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "slurm_cluster.sh: needs root" >&2; exit 77; }
for program in munged mungekey slurmctld slurmd sinfo; do
  command -v "$program" >/dev/null || { echo "slurm_cluster.sh: $program is not installed" >&2; exit 77; }
done

mkdir -p "$dir"/{munge,state,spool,log,run}
chmod 755 "$dir"
# munged insists on folders only its user can write, and a key only it can read.
chown munge:munge "$dir/munge" && chmod 700 "$dir/munge"
[ -f "$dir/munge/munge.key" ] || su -s /bin/sh munge -c "mungekey -c -k '$dir/munge/munge.key'" >/dev/null
su -s /bin/sh munge -c "munged --force --socket='$dir/munge/socket' --key-file='$dir/munge/munge.key' \
  --pid-file='$dir/munge/munged.pid' --log-file='$dir/munge/munged.log' --seed-file='$dir/munge/seed'"

host="$(hostname -s)"
cpus="$(nproc)"
memory="$(awk '/MemTotal/ { print int($2 / 1024 * 0.8) }' /proc/meminfo)"
cat >"$dir/slurm.conf" <<CONF
ClusterName=varnel-test
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$dir/munge/socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
MpiDefault=none
ReturnToService=2
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/run/slurmctld.pid
SlurmdPidFile=$dir/run/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
SlurmctldPort=16817
SlurmdPort=16818
MaxArraySize=10001
MaxJobCount=100000
KillWait=5
InactiveLimit=0
MinJobAge=300
NodeName=$host CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$dir/slurm.conf"
slurmctld -i
slurmd
for _ in $(seq 300); do
  if sinfo -h -o '%T' 2>/dev/null | grep -qx idle; then
    echo "export SLURM_CONF=$SLURM_CONF"
    exit 0
  fi
  sleep 0.2
done
echo "slurm_cluster.sh: the node did not become idle; see $dir/log" >&2
exit 1
