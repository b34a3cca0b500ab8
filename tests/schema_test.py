#!/usr/bin/env python3
"""The configuration files' JSON Schema against the CLI that prints it:
    tests/schema_test.py VARNADEX_CLI VARNADEX_SIM

Every file `read` writes validates; and, field by field, a file the CLI's `check` refuses is
one the schema refuses, and the other way round. Exit 77 (skipped) without python3-jsonschema.
"""
import atexit
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed (scripts/setup.sh installs it): skipped")
    sys.exit(77)

cli, sim = sys.argv[1], sys.argv[2]
failures = []


def run(*args, **kwargs):
    return subprocess.run([cli, "--lang", "en", *args], capture_output=True, text=True,
                          timeout=60, **kwargs)


schema = json.loads(run("schema").stdout)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
# The fields set takes, and the version a file records and nothing writes.
fields = run("fields").stdout.split() + ["firmwareVersion"]
if sorted(fields) != sorted(schema["properties"]):
    failures.append(f"fields {fields} but the schema has {sorted(schema['properties'])}")

# Files that read writes: the simulator's converter as it starts, and after a write that moves
# every kind of field away from its default.
work = tempfile.mkdtemp(prefix="varnadex-schema-")
atexit.register(shutil.rmtree, work, True)
simulator = subprocess.Popen([sim, "--snmp", "127.0.0.1:0", "--log", os.devnull],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
try:
    host = None
    deadline = time.monotonic() + 10
    while host is None and time.monotonic() < deadline:
        line = simulator.stdout.readline()
        if line.startswith("snmp "):
            host = line.split()[1]
    if host is None:
        sys.exit("FAIL: varnadex-sim did not start")

    def read_back():
        result = run("--host", host, "read")
        if result.returncode != 0:
            sys.exit(f"FAIL: read: {result.stderr}")
        return json.loads(result.stdout)

    base = read_back()
    edited = dict(base, ipAddress="10.1.2.3", remotePort="4001", baudRate="57600",
                  dataFormat="7E1", dataFormatCode=49, networkDelay=2, keepAliveTimer=10,
                  patternChar="A", snmpCommunity="pénzügy")
    path = os.path.join(work, "edited.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(edited, f)
    written = run("--host", host, "write", path)
    if written.returncode != 0:
        sys.exit(f"FAIL: write: {written.stderr}")
    for name, document in (("as started", base), ("after a write", read_back())):
        for error in validator.iter_errors(document):
            failures.append(f"read's file {name} fails the schema: {error.message}")
finally:
    simulator.terminate()
    simulator.wait()

# Values to try in every field: the kinds a hand-edited file gets wrong.
STRINGS = ["", "0", "7", "7E", "7G", "0x7E", "1E1", "kelvin", "pénzügy", "日本", "a\tb",
           "x" * 11, "9600", " 9600 ", "65535", "65536", "-1", "1.5", "0050C2000001",
           "0050c2000001", "0050C200000", "0050C20000011", "0050C200000G", "10.0.0.1",
           " 10. 0.0.1", "010.000.000.001", "256.0.0.1", "10.0.0", "10.0.0.1.2", "10..0.1",
           "8N1", "7E1", "8n1", "9N1", "2.5", "Unknown"]
INTEGERS = [0, 1, 2, 3, 10, 15, 25, 26, 49, 193, 255, 256, -1]
OTHERS = [None, True, 1.5, "1", [], {}]


def cli_takes(document):
    path = os.path.join(work, "try.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(document, f, ensure_ascii=False)
    result = run("--enable-mac", "check", path)
    if result.returncode not in (0, 2):
        failures.append(f"check exited {result.returncode}: {result.stderr.strip()}")
    return result.returncode == 0, result.stderr.strip()


cases = 0
for field in fields:
    for value in STRINGS + INTEGERS + OTHERS:
        document = dict(base)
        document[field] = value
        cli_ok, why = cli_takes(document)
        schema_ok = validator.is_valid(document)
        cases += 1
        if cli_ok != schema_ok:
            failures.append(f"{field}={json.dumps(value, ensure_ascii=False)}: the CLI "
                            f"{'takes it' if cli_ok else 'refuses it (' + why + ')'}, the schema "
                            f"{'takes it' if schema_ok else 'refuses it'}")
    # A file without the field.
    document = {k: v for k, v in base.items() if k != field}
    if cli_takes(document)[0] != validator.is_valid(document):
        failures.append(f"{field} left out: the CLI and the schema disagree")
# A field no converter has.
document = dict(base, speed=9600)
if cli_takes(document)[0] or validator.is_valid(document):
    failures.append("an unknown field is taken")

for failure in failures:
    print("FAIL:", failure)
print(f"schema test: {cases} field values tried, {len(failures)} disagreements")
sys.exit(1 if failures else 0)
