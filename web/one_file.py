#!/usr/bin/env python3
"""Makes the page that plays from one file: the served page with the
program's script written into it, and the WebAssembly, the drive and the
soundtrack as base64 blocks that the script reads instead of fetching them
(amber_pre.js). Opened from disk, it needs no server and no network.

    one_file.py PAGE SCRIPT WASM DRIVE SOUNDTRACK OUTPUT

The same inputs give the same bytes."""
import base64
import os
import sys

SCRIPT_TAG = '<script src="amber_grid.js"></script>'
# Text that would end or unsettle an inline script before its end.
UNSAFE_IN_SCRIPT = ('</script', '<!--')


def fail(message):
    sys.exit(f'one_file.py: {message}')


def block(path):
    """A part as a block the page does not run, found by its file name."""
    with open(path, 'rb') as f:
        text = base64.b64encode(f.read()).decode('ascii')
    name = os.path.basename(path)
    return f'<script type="application/octet-stream" id="{name}">{text}</script>\n'


def main(page, script, wasm, drive, soundtrack, output):
    with open(page, encoding='utf-8') as f:
        html = f.read()
    with open(script, encoding='utf-8') as f:
        program = f.read()
    if html.count(SCRIPT_TAG) != 1:
        fail(f'{page} must load the program once, as {SCRIPT_TAG}')
    if any(s in program.lower() for s in UNSAFE_IN_SCRIPT):
        fail(f'{script} holds text that cannot stand inside a <script> element')
    parts = ''.join(block(p) for p in (wasm, drive, soundtrack))
    html = html.replace(SCRIPT_TAG, f'{parts}<script>\n{program}\n</script>')
    temporary = output + '.part'
    with open(temporary, 'w', encoding='utf-8', newline='\n') as f:
        f.write(html)
    os.replace(temporary, output)


if __name__ == '__main__':
    if len(sys.argv) != 7:
        fail('usage: one_file.py PAGE SCRIPT WASM DRIVE SOUNDTRACK OUTPUT')
    main(*sys.argv[1:])
