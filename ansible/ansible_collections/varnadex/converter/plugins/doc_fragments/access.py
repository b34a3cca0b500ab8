# -*- coding: utf-8 -*-
# The options every module of the collection takes to reach one converter.

from __future__ import annotations


class ModuleDocFragment:
    DOCUMENTATION = r'''
options:
  host:
    description:
      - The converter's SNMP agent, C(HOST) or C(HOST:PORT); the port defaults to 161.
      - Exactly one of I(host) and I(port) is given.
    type: str
  port:
    description:
      - The serial port the converter is attached to, as C(varnadex-cli --port) takes it
        (C(/dev/ttyUSB0), C(COM3)).
    type: str
  community:
    description:
      - The SNMP community to reach the converter with; C(varnadex-cli)'s own default when
        left out.
    type: str
  cli:
    description:
      - The path to C(varnadex-cli); by default it is looked for on C(PATH).
    type: path
'''
