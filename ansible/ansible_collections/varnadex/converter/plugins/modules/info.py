# -*- coding: utf-8 -*-
# Reads a converter's whole configuration through varnadex-cli, for backups and assertions.

from __future__ import annotations

DOCUMENTATION = r'''
---
module: info
short_description: Read the whole configuration of a serial-to-Ethernet converter
version_added: 1.0.0
description:
  - Reads every field of a converter's configuration with C(varnadex-cli read) and returns it,
    for backups and assertions. The converter is never changed, and neither is the task.
  - With I(dest) the configuration is also written to a file on the controller, the same JSON
    that M(varnadex.converter.config) takes as I(src).
  - The module runs where C(varnadex-cli) is installed, usually the controller
    (C(connection=local) or C(delegate_to=localhost)).
options:
  dest:
    description:
      - A file to write the configuration to, replaced whole (C(varnadex-cli read --output)).
        Its directory must exist; a relative path is taken from the directory that
        C(ansible-playbook) runs in. It is written in check mode too.
      - Use it for backups rather than writing I(config) out, where Ansible masks the
        community.
    type: path
extends_documentation_fragment:
  - varnadex.converter.access
attributes:
  check_mode:
    support: full
    description: The converter is only read, in check mode as always.
  diff_mode:
    support: none
    description: Nothing is compared.
notes:
  - The community is kept out of the logs; Ansible masks it wherever it appears in the result.
    A converter's C(snmpCommunity) that equals the community it was reached with therefore
    comes back masked in I(config); the file that I(dest) names holds it as it is.
seealso:
  - module: varnadex.converter.config
author:
  - Varnadex developers (!UNKNOWN)
'''

EXAMPLES = r'''
- name: Back up each converter to a file of its own
  varnadex.converter.info:
    host: "{{ varnadex_host }}"
    dest: "{{ playbook_dir }}/backup/{{ inventory_hostname }}.json"

- name: Read a converter on a serial port
  varnadex.converter.info:
    port: /dev/ttyUSB0
  register: converter

- name: It forwards to the right place
  ansible.builtin.assert:
    that: converter.config.remoteAddress == '10.20.9.1'
'''

RETURN = r'''
config:
  description:
    - The whole configuration, named as in a configuration file, with C(firmwareVersion).
  returned: success
  type: dict
  sample: {"ipAddress": "10.20.0.11", "networkTimeout": 60, "firmwareVersion": "2.2"}
dest:
  description: The file the configuration was written to.
  returned: when I(dest) was given
  type: str
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.varnadex.converter.plugins.module_utils.varnadex import (
    ACCESS_ARGUMENT_SPEC,
    ACCESS_MUTUALLY_EXCLUSIVE,
    ACCESS_REQUIRED_ONE_OF,
    Cli,
)


def main():
    argument_spec = dict(ACCESS_ARGUMENT_SPEC)
    argument_spec.update(dest=dict(type='path'))
    module = AnsibleModule(
        argument_spec=argument_spec,
        mutually_exclusive=ACCESS_MUTUALLY_EXCLUSIVE,
        required_one_of=ACCESS_REQUIRED_ONE_OF,
        supports_check_mode=True,
    )
    dest = module.params['dest']
    result = dict(changed=False)
    if dest is not None:
        dest = os.path.abspath(dest)
        result['dest'] = dest
    result['config'] = Cli(module).read(output=dest)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
