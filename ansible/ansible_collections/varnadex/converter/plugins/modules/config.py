# -*- coding: utf-8 -*-
# Applies a configuration to a converter through varnadex-cli: reports changed only when the
# converter was written, and in check mode compares only.

from __future__ import annotations

DOCUMENTATION = r'''
---
module: config
short_description: Apply a configuration to a serial-to-Ethernet converter
version_added: 1.0.0
description:
  - Brings a converter's configuration to a configuration file (I(src)) or to some of its fields
    (I(fields)), with C(varnadex-cli).
  - The converter is written only where it differs, and read back afterwards; the task reports
    C(changed) exactly when the converter was written.
  - In check mode the converter is read and compared, and nothing is written.
  - With C(--diff) the task shows the differing fields, as the converter holds them (before)
    and as they would be written (after).
  - Input that C(varnadex-cli) refuses, a field name or value, or a file, fails the task before
    anything is sent to the converter.
  - The module runs where C(varnadex-cli) is installed, usually the controller
    (C(connection=local) or C(delegate_to=localhost)); the converters themselves run no
    Python.
options:
  enable_mac:
    description:
      - Compare and write the MAC address too (C(varnadex-cli --enable-mac)). Without it the
        C(macAddress) field is neither compared nor written.
    type: bool
    default: false
  src:
    description:
      - A configuration file on the controller, the JSON that C(varnadex-cli read) writes and
        M(varnadex.converter.info) returns. It holds every field.
      - A relative path is taken from the directory that C(ansible-playbook) runs in.
      - Exactly one of I(src) and I(fields) is given.
    type: path
  fields:
    description:
      - Fields to set, named as in the configuration file (C(varnadex-cli fields) lists them),
        with their values as C(varnadex-cli set FIELD=VALUE) takes them. Every other field
        keeps what the converter holds.
      - When C(dataFormat) is given without C(dataFormatCode), the code follows the format.
    type: dict
extends_documentation_fragment:
  - varnadex.converter.access
attributes:
  check_mode:
    support: full
    description: Reads and compares only; nothing is written to the converter.
  diff_mode:
    support: full
    description: The differing fields, before and after.
notes:
  - The converter is read twice when the task runs with C(--diff) or uses I(fields), once to
    compare (or to lay the fields over) and once by the write, which compares again.
  - A failed write says which fields the converter took before the failure (I(written)); when
    it took some, it holds part of the new configuration and the task should be run again.
  - The community is kept out of the logs. Ansible masks it wherever it appears in the
    result, so the C(snmpCommunity) value shown by C(--diff) may be masked.
seealso:
  - module: varnadex.converter.info
  - plugin: varnadex.converter.scan
    plugin_type: inventory
author:
  - Varnadex developers (!UNKNOWN)
'''

EXAMPLES = r'''
- name: Apply a configuration file
  varnadex.converter.config:
    host: 10.20.0.11
    community: "{{ varnadex_community }}"
    src: "{{ playbook_dir }}/files/converter.json"
  delegate_to: localhost

- name: Change some fields, each converter keeping its own addresses
  varnadex.converter.config:
    host: "{{ varnadex_host }}"
    fields:
      remoteAddress: 10.20.9.1
      remotePort: 10001
      networkTimeout: 120
      dataFormat: 7E1

- name: Over a serial port
  varnadex.converter.config:
    port: /dev/ttyUSB0
    fields:
      baudRate: 19200

- name: Has anything drifted from the template?
  varnadex.converter.config:
    host: "{{ varnadex_host }}"
    src: "{{ playbook_dir }}/files/converter.json"
  check_mode: true
  register: drift

- name: Nothing has
  ansible.builtin.assert:
    that: not drift.changed
'''

RETURN = r'''
differences:
  description:
    - The fields where the converter differed, as C(varnadex-cli diff --format json) lists
      them. Returned in check mode and with C(--diff).
  returned: when compared
  type: list
  elements: dict
  contains:
    field:
      description: The field's name.
      type: str
    converter:
      description: What the converter held.
      type: raw
    file:
      description: What was, or would be, written.
      type: raw
  sample: [{"field": "networkTimeout", "converter": 60, "file": 120}]
written:
  description:
    - On a failed write, the fields the converter took before the failure. Empty when nothing
      was written; null when it is not known.
  returned: failure of the write
  type: list
  elements: str
  sample: ["ipAddress", "subnetMask"]
partial:
  description: On a failed write, whether the converter may hold part of the new configuration.
  returned: failure of the write
  type: bool
rc:
  description: The exit status of the C(varnadex-cli) command that failed.
  returned: failure
  type: int
stderr:
  description: What the C(varnadex-cli) command that failed said.
  returned: failure
  type: str
'''

import json
import os
import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.varnadex.converter.plugins.module_utils.varnadex import (
    ACCESS_ARGUMENT_SPEC,
    ACCESS_MUTUALLY_EXCLUSIVE,
    ACCESS_REQUIRED_ONE_OF,
    Cli,
)

# What a field name looks like; anything else never reaches the command line, where it could
# pass for an option.
FIELD_NAME = re.compile(r'^[A-Za-z][A-Za-z0-9_]*$')


def assignment_text(module, name, value):
    """A field's value as `set FIELD=VALUE` takes it."""
    if not FIELD_NAME.match(name):
        module.fail_json(msg='"%s" is not a converter field. Nothing was sent to the converter.'
                             % name)
    if isinstance(value, bool):
        return '1' if value else '0'
    if isinstance(value, (int, float, str)) and '\0' not in str(value):
        return str(value)
    module.fail_json(msg='fields.%s takes a number or a text without NUL characters. Nothing '
                         'was sent to the converter.' % name)


def laid_over(current, changes):
    """The converter's configuration with `changes` (name: text) laid over it, in the types
    of a configuration file."""
    desired = dict(current)
    # Reported by a read, never taken from a file.
    desired.pop('firmwareVersion', None)
    for name, text in changes.items():
        old = current.get(name)
        number = isinstance(old, int) and re.match(r'^\s*[0-9]+\s*$', text)
        desired[name] = int(text) if number else text
    # The code of the converter's old data format would contradict a new one.
    if 'dataFormat' in changes and 'dataFormatCode' not in changes:
        desired.pop('dataFormatCode', None)
    return desired


def main():
    argument_spec = dict(ACCESS_ARGUMENT_SPEC)
    argument_spec.update(
        enable_mac=dict(type='bool', default=False),
        src=dict(type='path'),
        fields=dict(type='dict'),
    )
    module = AnsibleModule(
        argument_spec=argument_spec,
        mutually_exclusive=ACCESS_MUTUALLY_EXCLUSIVE + [('src', 'fields')],
        required_one_of=ACCESS_REQUIRED_ONE_OF + [('src', 'fields')],
        supports_check_mode=True,
    )
    params = module.params
    cli = Cli(module, enable_mac=params['enable_mac'])

    if params['src'] is not None:
        # Absolute: a relative name starting with '-' would pass for an option.
        path = os.path.abspath(params['src'])
        if not os.path.isfile(path):
            module.fail_json(msg='src: no such file: %s. Nothing was sent to the converter.'
                                 % params['src'])
        cli.check([path])
        after_header = params['src']
    else:
        changes = dict((name, assignment_text(module, name, value))
                       for name, value in params['fields'].items())
        if not changes:
            module.exit_json(changed=False, differences=[])
        if 'macAddress' in changes and not params['enable_mac']:
            module.warn('macAddress is compared and written only with enable_mac: true.')
        cli.check(['%s=%s' % item for item in changes.items()])
        desired = laid_over(cli.read(), changes)
        path = os.path.join(module.tmpdir, 'converter.json')
        with open(path, 'w', encoding='utf-8') as f:
            json.dump(desired, f, indent=2)
        after_header = 'fields'

    result = dict(changed=False)
    if module.check_mode or module._diff:
        differences = cli.diff(path)
        result['differences'] = differences
        if module._diff:
            result['diff'] = dict(
                before=dict((d['field'], d['converter']) for d in differences),
                after=dict((d['field'], d['file']) for d in differences),
                before_header=params['host'] or params['port'],
                after_header=after_header,
            )
        if module.check_mode or not differences:
            result['changed'] = bool(differences)
            module.exit_json(**result)

    result['changed'] = cli.apply(path)
    if not result['changed'] and 'diff' in result:
        # The converter came to hold the file between the comparison and the write.
        result['differences'] = []
        result['diff'] = dict(before={}, after={})
    module.exit_json(**result)


if __name__ == '__main__':
    main()
