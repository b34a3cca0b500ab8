# -*- coding: utf-8 -*-
# Runs varnadex-cli for the collection's modules: the one place that knows its command line,
# its exit statuses and what it prints.

from __future__ import annotations

import json

EXIT_OK = 0
EXIT_FAILED = 1
EXIT_USAGE = 2
EXIT_DIFFERS = 3

# The options every module takes to reach a converter.
ACCESS_ARGUMENT_SPEC = dict(
    host=dict(type='str'),
    port=dict(type='str'),
    community=dict(type='str', no_log=True),
    cli=dict(type='path'),
)
ACCESS_MUTUALLY_EXCLUSIVE = [('host', 'port')]
ACCESS_REQUIRED_ONE_OF = [('host', 'port')]


def written_note(written):
    """What the converter holds after a failed write, said plainly."""
    if written is None:
        return ('The converter may hold part of the new configuration: it was being written '
                'when this happened. Apply the configuration again.')
    if not written:
        return 'Nothing was written: the converter is unchanged.'
    return ('The converter took %s before the failure and now holds part of the new '
            'configuration. Apply the configuration again.' % ', '.join(written))


def sentence(text):
    """`text` with the full stop that a message continued after it needs."""
    text = ' '.join(text.split())
    return text if not text or text[-1] in '.!?' else text + '.'


def last_json_line(text):
    """The last line of `text` that is a JSON object, or None."""
    for line in reversed(text.splitlines()):
        line = line.strip()
        if not line:
            continue
        try:
            value = json.loads(line)
        except ValueError:
            return None
        return value if isinstance(value, dict) else None
    return None


class Cli:
    """varnadex-cli, pointed at the converter that the module's options name."""

    def __init__(self, module, enable_mac=False):
        params = module.params
        self.module = module
        self.program = params['cli'] or module.get_bin_path('varnadex-cli', required=True)
        # English messages whatever the controller's settings file says: they go into task
        # results that are read and matched in English.
        self.base = [self.program, '--lang', 'en']
        if enable_mac:
            self.base.append('--enable-mac')
        # The value is joined to its option so that one starting with '-' stays a value.
        self.access = []
        if params['host'] is not None:
            self.access.append('--host=' + params['host'])
        if params['port'] is not None:
            self.access.append('--port=' + params['port'])
        if params['community'] is not None:
            self.access.append('--community=' + params['community'])

    def _run(self, args, reach=True):
        argv = self.base + (self.access if reach else []) + args
        return self.module.run_command(argv)

    def fail(self, command, rc, out, err, message=None, **result):
        """Fails the task with the CLI's own message and what became of the converter: apply
        passes `written`; the other commands never write."""
        message = sentence(message or err.strip() or out.strip())
        if rc < 0 or rc >= 128:
            signal = -rc if rc < 0 else rc - 128
            text = 'varnadex-cli %s was stopped by signal %d.' % (command, signal)
        elif rc == EXIT_USAGE:
            text = 'varnadex-cli %s refused the input: %s' % (command, message)
        else:
            text = 'varnadex-cli %s failed: %s' % (command, message)
        if 'written' in result:
            text += ' ' + written_note(result['written'])
            result['partial'] = result['written'] is None or bool(result['written'])
        else:
            text += ' Nothing was written to the converter.'
        self.module.fail_json(msg=text, rc=rc, stderr=err, **result)

    def check(self, items):
        """Checks a configuration file or FIELD=VALUE changes as a write would; sends nothing."""
        rc, out, err = self._run(['check', '--'] + list(items), reach=False)
        if rc != EXIT_OK:
            self.module.fail_json(
                msg='varnadex-cli check refused the input: %s Nothing was sent to the converter.'
                    % sentence(err.strip() or out.strip()), rc=rc, stderr=err)

    def read(self, output=None):
        """The converter's whole configuration, as a dict; also written to `output` if given."""
        args = ['read', '--format', 'json']
        if output is not None:
            args.append('--output=' + output)
        rc, out, err = self._run(args)
        if rc != EXIT_OK:
            self.fail('read', rc, out, err)
        if output is not None:
            with open(output, encoding='utf-8') as f:
                out = f.read()
        try:
            return json.loads(out)
        except ValueError:
            self.module.fail_json(msg='varnadex-cli read printed no configuration', rc=rc,
                                  stdout=out, stderr=err)

    def diff(self, path):
        """The fields where the converter differs from the file: [{field, converter, file}]."""
        rc, out, err = self._run(['diff', '--format', 'json', '--', path])
        if rc not in (EXIT_OK, EXIT_DIFFERS):
            self.fail('diff', rc, out, err)
        try:
            return json.loads(out)['differences']
        except (ValueError, KeyError, TypeError):
            self.module.fail_json(msg='varnadex-cli diff printed no differences', rc=rc,
                                  stdout=out, stderr=err)

    def apply(self, path):
        """Writes the file where the converter differs; True when it was written."""
        rc, out, err = self._run(['apply', '--format', 'json', '--', path])
        report = last_json_line(out)
        if rc == EXIT_OK and report and report.get('status') in ('changed', 'unchanged'):
            return report['status'] == 'changed'
        if rc == EXIT_USAGE:
            self.fail('apply', rc, out, err, written=[])
        written = report.get('written') if report else None
        if not isinstance(written, list):
            written = None
        if rc == EXIT_OK:
            # Success with nothing to show for it: whether the converter was written is unknown.
            self.fail('apply', rc, out, err, message='it printed no status.', written=None)
        self.fail('apply', rc, out, err, message=report.get('error') if report else None,
                  written=written)
