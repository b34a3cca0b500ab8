#!/usr/bin/env bash
# The Ansible collection (ansible/) with the real engine, against a fleet of simulated
# converters on loopback:
#   tests/ansible_test.sh VARNADEX_CLI VARNADEX_SIM
# Exit 77 (skipped) when ansible-core is not installed. VARNADEX_ANSIBLE_BENCH=1 also times a
# playbook over 256 converters. Everything happens in a temporary directory: the collection
# is taken from the repository, and Ansible's home, temporary files and configuration are
# there too.
set -euo pipefail

if ! command -v ansible-playbook >/dev/null; then
    echo "ansible-core is not installed (scripts/setup.sh installs it): skipped"
    exit 77
fi
cli=$(realpath "$1")
sim=$(realpath "$2")
collections=$(cd "$(dirname "$0")/../ansible" && pwd)
work=$(mktemp -d)
sims=()
cleanup() {
    for pid in "${sims[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# A timeout's SIGTERM or a Ctrl-C ends the run through the exit trap too.
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP
cd "$work"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

export HOME=$work/home ANSIBLE_HOME=$work/home ANSIBLE_CONFIG=$work/ansible.cfg
export ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_REMOTE_TEMP=$work/tmp
export ANSIBLE_COLLECTIONS_PATH=$collections ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false
# The modules and the inventory plugin find varnadex-cli on PATH; a source they cannot read
# fails the run rather than leaving an empty inventory.
PATH=$(dirname "$cli"):$PATH
export ANSIBLE_INVENTORY_UNPARSED_FAILED=1 ANSIBLE_INVENTORY_ANY_UNPARSED_IS_FAILED=1
export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 ANSIBLE_RETRY_FILES_ENABLED=0
mkdir -p home tmp
cat >ansible.cfg <<EOF
[defaults]
forks = 8
interpreter_python = auto_silent
EOF
# The Python that runs Ansible, with its packages.
python=$(ansible --version | sed -n 's/^ *python version = .*(\(.*\))$/\1/p')
[ -x "$python" ] || fail "cannot tell which Python runs Ansible"
# The backups' directory, as site.yml makes it: its task changes nothing, and every change a
# run counts is a converter's.
mkdir -m 700 backup

# Starts a simulator with N agents from ADDRESS on a free port, and sets $sim_port. Not in a
# subshell: the simulator must be on the list that the exit trap ends.
start_sim() {
    local address=$1 agents=$2 log=$3 out=$work/sim-$1.out
    "$sim" --snmp "$address:0" --agents "$agents" --log "$log" >"$out" 2>&1 &
    sims+=($!)
    for _ in $(seq 100); do
        sim_port=$(sed -n 's/^snmp [0-9.]*:\([0-9]*\).*/\1/p' "$out")
        [ -z "$sim_port" ] || return 0
        sleep 0.1
    done
    cat "$out" >&2
    fail "varnadex-sim did not start"
}
since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
# ansible-playbook NAME ARGS...: its output in NAME.out, its exit status in $status.
playbook() {
    local name=$1
    shift
    local started=$EPOCHREALTIME
    status=0
    ansible-playbook "$@" >"$name.out" 2>&1 || status=$?
    seconds=$(since "$started")
}
must_pass() {
    [ "$status" -eq 0 ] || { cat "$1.out"; fail "$1: ansible-playbook exited $status"; }
}
# The changed tasks of a run, over all hosts (PLAY RECAP).
changed() {
    awk '/^PLAY RECAP/ {r = 1; next}
         r { for (i = 1; i <= NF; i++) if ($i ~ /^changed=/) { sub("changed=", "", $i); s += $i } }
         END { print s + 0 }' "$1.out"
}
sets() { grep -c '^snmp set' sim.log || true; }
lines() { wc -l <sim.log; }

echo "== ansible-doc"
for plugin in "varnadex.converter.config" "varnadex.converter.info" "-t inventory varnadex.converter.scan"; do
    # shellcheck disable=SC2086
    ansible-doc $plugin >doc.out 2>&1 || { cat doc.out; fail "ansible-doc $plugin"; }
    if ! grep -q '^OPTIONS' doc.out || grep -q 'ERROR\|WARNING' doc.out; then
        cat doc.out
        fail "ansible-doc $plugin renders no options"
    fi
done

start_sim 127.66.0.1 8 "$work/sim.log"
port=$sim_port
echo "simulator: 127.66.0.1-8 port $port"

echo "== the inventory plugin"
cat >fleet.varnadex.yml <<EOF
plugin: varnadex.converter.scan
targets: [127.66.0.0/29, 127.66.0.8, 127.66.0.9]
snmp_port: $port
community: kelvin
EOF
ansible-inventory -i fleet.varnadex.yml --list >inventory.json 2>inventory.err ||
    { cat inventory.err; fail "ansible-inventory"; }
"$python" - "$port" <<'EOF' || fail "the inventory plugin"
import json, sys
port = sys.argv[1]
inventory = json.load(open('inventory.json'))
hosts = inventory['_meta']['hostvars']
names = ['127.66.0.%d' % n for n in range(1, 9)]
assert sorted(hosts) == names, sorted(hosts)
assert sorted(inventory['firmware_2_2']['hosts']) == names, inventory.get('firmware_2_2')
unwrap = lambda v: v.get('__ansible_unsafe', v) if isinstance(v, dict) else v
h = dict((k, unwrap(v)) for k, v in hosts['127.66.0.3'].items())
assert h['varnadex_host'] == '127.66.0.3:' + port and h['ansible_connection'] == 'local', h
EOF

echo "== first run: the template differs everywhere"
cat >t1.json <<'EOF'
{"varnadex_community": "kelvin",
 "converter_template": {"remoteAddress": "127.66.9.1", "remotePort": 10001, "networkTimeout": 120,
                        "keepAliveTimer": 5, "dataFormat": "7E1"}}
EOF
playbook first -i fleet.varnadex.yml varnadex.converter.site -e @t1.json --diff
must_pass first
[ "$(changed first)" -eq 8 ] || { cat first.out; fail "the first run changed $(changed first) converters, not 8"; }
grep -q '^+ *"networkTimeout": 120' first.out || { cat first.out; fail "--diff names no field"; }
# The backups: each converter's own, its community as it is (not Ansible's mask), what the
# inventory found there, and a configuration file as the CLI's schema describes it.
"$cli" schema >schema.json
"$python" - <<'EOF' || fail "the backups"
import json
try:
    import jsonschema
except ImportError:
    jsonschema = None
    print('python3-jsonschema is not installed: the backups are not checked against the schema')
hosts = json.load(open('inventory.json'))['_meta']['hostvars']
schema = json.load(open('schema.json'))
for n in range(1, 9):
    name = '127.66.0.%d' % n
    backup = json.load(open('backup/%s.json' % name))
    assert backup['ipAddress'] == name and backup['snmpCommunity'] == 'kelvin', backup
    mac = hosts[name]['varnadex_mac_address']
    assert backup['macAddress'] == (mac['__ansible_unsafe'] if isinstance(mac, dict) else mac), name
    if jsonschema:
        jsonschema.validate(backup, schema)
EOF
sets_after_first=$(sets)
# Each run backs up again: these are the configurations before the template.
cp -r backup before

echo "== second run: nothing to change"
playbook second -i fleet.varnadex.yml varnadex.converter.site -e @t1.json
must_pass second
site_seconds=$seconds
[ "$(changed second)" -eq 0 ] || { cat second.out; fail "the second run changed $(changed second)"; }
[ "$(sets)" -eq "$sets_after_first" ] || fail "the second run sent $(($(sets) - sets_after_first)) SETs"

echo "== check mode: other settings"
sed 's/"networkTimeout": 120/"networkTimeout": 200, "tcpMode": 1/' t1.json >t2.json
playbook check -i fleet.varnadex.yml varnadex.converter.site -e @t2.json --check --diff
must_pass check
[ "$(changed check)" -eq 8 ] || { cat check.out; fail "check mode found $(changed check) to change, not 8"; }
[ "$(sets)" -eq "$sets_after_first" ] || fail "check mode sent $(($(sets) - sets_after_first)) SETs"
grep -q '^+ *"tcpMode": 1' check.out || { cat check.out; fail "--check --diff names no field"; }

echo "== a silent converter among seven"
{
    echo "varnadex:"
    echo "  vars: {ansible_connection: local, ansible_python_interpreter: '{{ ansible_playbook_python }}', varnadex_community: kelvin}"
    echo "  hosts:"
    for n in 2 3 4 5 6 7 8 9; do echo "    127.66.0.$n: {varnadex_host: '127.66.0.$n:$port'}"; done
} >seven.yml
cp before/127.66.0.1.json before/127.66.0.9.json
playbook restore -i seven.yml varnadex.converter.restore -e backup_dir="$work/before"
[ "$status" -eq 2 ] || { cat restore.out; fail "restore: ansible-playbook exited $status, not 2"; }
grep -q '^127\.66\.0\.9 .* failed=1 ' restore.out || { cat restore.out; fail "the silent converter did not fail"; }
[ "$(grep -c '^127\.66\.0\.[2-8] .* changed=1 .* failed=0 ' restore.out)" -eq 7 ] ||
    { cat restore.out; fail "the other seven were not restored"; }
grep -q 'Communication error.*Nothing was written: the converter is unchanged' restore.out ||
    { cat restore.out; fail "the failure does not say what became of the converter"; }

echo "== refused input, a write that fails part way, values a converter reports"
# A stand-in for varnadex-cli: every write fails after the IP address took, and a scan finds
# a converter whose firmware version reads as a template.
cat >stub-cli <<'EOF'
#!/usr/bin/env bash
case " $* " in
*" apply "*) echo '{"status": "failed", "error": "Communication error!", "written": ["ipAddress"]}'; exit 1 ;;
*" scan "*) echo '{"host": "127.66.1.1", "port": 161, "firmware": "{{ 6 * 7 }}"}' ;;
esac
EOF
chmod +x stub-cli
cat >stub.varnadex.yml <<EOF
plugin: varnadex.converter.scan
targets: [127.66.1.1]
cli: $work/stub-cli
EOF
cat >edges.yml <<EOF
- hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - varnadex.converter.config:
        host: 127.66.0.1:$port
        community: kelvin
        fields: {networkTimeout: 300}
      register: refused
      ignore_errors: true
    - varnadex.converter.config:
        host: 127.66.0.1:$port
        src: before/127.66.0.1.json
        cli: $work/stub-cli
      register: partial
      ignore_errors: true
    - ansible.builtin.assert:
        that:
          - refused is failed and 'Nothing was sent' in refused.msg
          - partial is failed and partial.partial and partial.written == ['ipAddress']
          - "'now holds part of the new configuration' in partial.msg"
- hosts: varnadex
  gather_facts: false
  tasks:
    - ansible.builtin.assert:
        that: "'6 * 7' in varnadex_firmware"
EOF
lines_before=$(lines)
playbook edges -i stub.varnadex.yml edges.yml
must_pass edges
[ "$(lines)" -eq "$lines_before" ] || fail "refused input reached the converter"

echo "== ansible-test sanity"
sanity=$work/sanity/ansible_collections/varnadex
mkdir -p "$sanity"
cp -r "$collections/ansible_collections/varnadex/converter" "$sanity/"
python_version=$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
# These need a virtual environment of their own, with requirements pip fetches from the
# network: tried, and skipped when that cannot be done.
venv_tests=(ansible-doc import pep8 pylint runtime-metadata validate-modules yamllint)
skips=()
for t in "${venv_tests[@]}"; do skips+=(--skip-test "$t"); done
(cd "$sanity/converter" && ansible-test sanity --python "$python_version" "${skips[@]}") >sanity.out 2>&1 ||
    { cat sanity.out; fail "ansible-test sanity"; }
echo "ansible-test sanity: passed $(grep -c '^Running sanity test' sanity.out) tests"
for t in "${venv_tests[@]}"; do
    result=0
    (cd "$sanity/converter" && timeout 120 ansible-test sanity --python "$python_version" --test "$t") \
        >"sanity-$t.out" 2>&1 || result=$?
    if [ "$result" -eq 0 ]; then
        echo "ansible-test sanity --test $t: passed"
    elif [ "$result" -eq 124 ] || grep -q 'does not have pip available\|get_pip\|pip install' "sanity-$t.out"; then
        echo "ansible-test sanity --test $t: skipped, its requirements cannot be installed here"
    else
        cat "sanity-$t.out"
        fail "ansible-test sanity --test $t"
    fi
done

echo "== measurements (not asserted)"
cat >read.yml <<'EOF'
- hosts: varnadex
  gather_facts: false
  tasks:
    - varnadex.converter.info:
        host: "{{ varnadex_host }}"
        community: kelvin
EOF
# Times `varnadex-cli --hosts LIST read` over the converters of an inventory's JSON.
time_cli() {
    "$python" -c 'import json, sys
print("host")
for h in json.load(open(sys.argv[1]))["_meta"]["hostvars"].values():
    v = h["varnadex_host"]
    print(v.get("__ansible_unsafe") if isinstance(v, dict) else v)' "$1" >hosts.csv
    local started=$EPOCHREALTIME
    "$cli" --lang en --community kelvin --hosts hosts.csv --jobs "$2" read >/dev/null 2>&1 ||
        fail "varnadex-cli --hosts read"
    since "$started"
}
playbook read8 -i fleet.varnadex.yml read.yml
must_pass read8
cli_seconds=$(time_cli inventory.json 8)
printf '8 converters: site.yml (nothing to change) %.2f s, one info task %.2f s, varnadex-cli --hosts read %.2f s\n' \
    "$site_seconds" "$seconds" "$cli_seconds"
if [ "${VARNADEX_ANSIBLE_BENCH:-}" = 1 ]; then
    start_sim 127.67.0.1 256 /dev/null
    bench_port=$sim_port
    sed -e "s|127.66.0.0/29, 127.66.0.8, 127.66.0.9|127.67.0.0/24, 127.67.1.0|" \
        -e "s|snmp_port: $port|snmp_port: $bench_port|" fleet.varnadex.yml >bench.varnadex.yml
    ansible-inventory -i bench.varnadex.yml --list >bench.json
    playbook read256 -i bench.varnadex.yml read.yml --forks 32
    must_pass read256
    found=$("$python" -c 'import json, sys; print(len(json.load(open(sys.argv[1]))["_meta"]["hostvars"]))' bench.json)
    cli_seconds=$(time_cli bench.json 32)
    printf '%d converters found, forks 32: one info task %.2f s, varnadex-cli --hosts --jobs 32 read %.2f s\n' \
        "$found" "$seconds" "$cli_seconds"
fi
echo "ansible: passed"
