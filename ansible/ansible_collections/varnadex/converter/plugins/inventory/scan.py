# -*- coding: utf-8 -*-
# An inventory of the converters that answer a scan: varnadex-cli scan over addresses and
# ranges, one host per converter found.

from __future__ import annotations

DOCUMENTATION = r'''
---
name: scan
short_description: Converters found by scanning addresses and ranges
version_added: 1.0.0
description:
  - Runs C(varnadex-cli scan) over the addresses and ranges of an inventory source file and
    makes one host per serial-to-Ethernet converter that answers over SNMP.
  - A host is named after the address it answered at. Its variables are
    C(varnadex_host) (C(ADDRESS) or C(ADDRESS:PORT) when the port is not 161, what the
    modules take as I(host)), C(varnadex_snmp_port), C(varnadex_firmware),
    C(varnadex_mac_address), C(varnadex_ip_address), C(varnadex_subnet_mask) and
    C(varnadex_gateway_address), with C(ansible_connection=local) and the controller's Python,
    since the modules run beside C(varnadex-cli).
  - Every converter is in the group C(varnadex), and in a group for its firmware version,
    C(firmware_2_2) for 2.2.
  - The source is a YAML file whose C(plugin) is C(varnadex.converter.scan); its name ends in
    C(.yml) or C(.yaml).
options:
  plugin:
    description: The name of this plugin; it marks the file as its source.
    required: true
    type: str
    choices: ['varnadex.converter.scan']
  targets:
    description:
      - What to scan, as C(varnadex-cli scan) takes it; IPv4 addresses, CIDR ranges of at most
        a /16, host names, or C(@FILE) with one target a line.
      - A relative C(@FILE) is found beside the inventory source.
    type: list
    elements: str
    required: true
  snmp_port:
    description: The converters' SNMP port.
    type: int
    default: 161
  community:
    description:
      - The SNMP community to ask with; C(varnadex-cli)'s own default when left out. It is not
        copied into the hosts' variables.
    type: str
  rate:
    description: Probes a second; C(varnadex-cli)'s own default (1000) when left out.
    type: int
  cli:
    description: The path to C(varnadex-cli); by default it is looked for on C(PATH).
    type: path
extends_documentation_fragment:
  - constructed
notes:
  - Values that the converters report are marked unsafe, so that a converter can never make
    Ansible evaluate a template.
seealso:
  - module: varnadex.converter.config
  - module: varnadex.converter.info
author:
  - Varnadex developers (!UNKNOWN)
'''

EXAMPLES = r'''
# site.varnadex.yml: ansible-inventory -i site.varnadex.yml --graph
plugin: varnadex.converter.scan
targets:
  - 10.20.0.0/24
  - 10.21.4.17
  - "@more-converters.txt"
snmp_port: 161

# The same, grouped by gateway too (group gateway_10_20_0_1), on another SNMP port.
plugin: varnadex.converter.scan
targets: [10.20.0.0/22]
snmp_port: 16161
keyed_groups:
  - prefix: gateway
    key: varnadex_gateway_address
'''

import json
import os
import re
import shutil
import subprocess

from ansible.errors import AnsibleParserError
from ansible.module_utils.common.text.converters import to_native
from ansible.plugins.inventory import BaseInventoryPlugin, Constructable
from ansible.utils.display import Display
from ansible.utils.unsafe_proxy import wrap_var

display = Display()

# What a scan's host may be called: an IPv4 address or a host name, nothing an inventory
# pattern would read otherwise.
HOST_NAME = re.compile(r'^[A-Za-z0-9](?:[A-Za-z0-9.-]{0,252})$')

# The scan's members and the host variables they become.
HOST_VARIABLES = (
    ('firmware', 'varnadex_firmware'),
    ('macAddress', 'varnadex_mac_address'),
    ('ipAddress', 'varnadex_ip_address'),
    ('subnetMask', 'varnadex_subnet_mask'),
    ('gatewayAddress', 'varnadex_gateway_address'),
)


class InventoryModule(BaseInventoryPlugin, Constructable):

    NAME = 'varnadex.converter.scan'

    def verify_file(self, path):
        return super().verify_file(path) and path.endswith(('.yml', '.yaml'))

    def _command(self, path):
        cli = self.get_option('cli') or shutil.which('varnadex-cli')
        if not cli:
            raise AnsibleParserError('varnadex-cli was not found on PATH; give its path as cli')
        argv = [cli, '--lang', 'en', 'scan', '--format', 'json',
                '--snmp-port', str(self.get_option('snmp_port'))]
        if self.get_option('community') is not None:
            argv.append('--community=' + self.get_option('community'))
        if self.get_option('rate') is not None:
            argv += ['--rate', str(self.get_option('rate'))]
        targets = []
        for target in self.get_option('targets'):
            target = str(target)
            if target.startswith('@'):
                target = '@' + os.path.join(os.path.dirname(os.path.abspath(path)), target[1:])
            targets.append(target)
        # After '--' a target is never taken for an option.
        return argv + ['--'] + targets

    def _scan(self, path):
        argv = self._command(path)
        try:
            done = subprocess.run(argv, stdin=subprocess.DEVNULL, capture_output=True, check=False)
        except OSError as e:
            raise AnsibleParserError('cannot run %s: %s' % (argv[0], to_native(e)))
        out = done.stdout.decode('utf-8', 'replace')
        err = done.stderr.decode('utf-8', 'replace').strip()
        if done.returncode != 0:
            raise AnsibleParserError('varnadex-cli scan failed (exit %d): %s'
                                     % (done.returncode, err))
        found = []
        for line in out.splitlines():
            if not line.strip():
                continue
            try:
                converter = json.loads(line)
            except ValueError:
                raise AnsibleParserError('varnadex-cli scan printed a line that is not JSON: %s'
                                         % line)
            # Lines with a status are addresses where no converter answered (--all).
            if isinstance(converter, dict) and 'status' not in converter:
                found.append(converter)
        return found

    def parse(self, inventory, loader, path, cache=True):
        super().parse(inventory, loader, path, cache)
        self._read_config_data(path)
        strict = self.get_option('strict')
        self.inventory.add_group('varnadex')
        for converter in self._scan(path):
            name = str(converter.get('host', ''))
            port = converter.get('port', self.get_option('snmp_port'))
            if not HOST_NAME.match(name) or not isinstance(port, int):
                display.warning('varnadex.converter.scan: skipped a converter at %r' % name)
                continue
            self.inventory.add_host(name, group='varnadex')
            variables = dict(
                varnadex_host=name if port == 161 else '%s:%d' % (name, port),
                varnadex_snmp_port=port,
            )
            for member, variable in HOST_VARIABLES:
                if member in converter:
                    variables[variable] = str(converter[member])
            for variable, value in variables.items():
                self.inventory.set_variable(name, variable, wrap_var(value))
            # The modules run beside varnadex-cli, with the Python that runs Ansible.
            self.inventory.set_variable(name, 'ansible_connection', 'local')
            self.inventory.set_variable(name, 'ansible_python_interpreter',
                                        '{{ ansible_playbook_python }}')
            if 'varnadex_firmware' in variables:
                group = 'firmware_' + re.sub(r'[^A-Za-z0-9]', '_', variables['varnadex_firmware'])
                self.inventory.add_group(group)
                self.inventory.add_child(group, name)
            hostvars = self.inventory.get_host(name).get_vars()
            self._set_composite_vars(self.get_option('compose'), hostvars, name, strict)
            self._add_host_to_composed_groups(self.get_option('groups'), hostvars, name, strict)
            self._add_host_to_keyed_groups(self.get_option('keyed_groups'), hostvars, name,
                                           strict)
