#!/usr/bin/env python3
"""End-to-end batches on Windows code under Wine, compared with the Linux build.

Each batch runs twice against one sample store on 127.0.0.1 (served by the Linux `mardel serve`):
with the Linux `mardel` and libtarvo.so, and with the Windows `mardel.exe` and tarvo.dll under
Wine. The output files must be equal byte for byte (or both absent), and so must the exit
status and what mardel prints. The messages the plug-in shows must be the expected ones: on
Linux they are lines on stderr, on Windows message boxes, which tarvo_clicker answers and logs
(title, icon, text) the way a user would see them.

The store is the bundled sample store plus a few pages of this test's own: a search page whose
product page is missing, one whose product page is not UTF-8, one that links to an address that
refuses connections, and one without the search result marker that is a product page itself.

Last, the stop-button batch: the test host (tests/windows/stop_host.cpp, a mardel.exe of its own)
presses the wait window's stop button during a batch and runs the next batch in the same process.
"""
import argparse
import dataclasses
import os
import re
import shutil
import socket
import subprocess
import sys
import time

SAMPLE_CODES = ['9784861203312', '4877359702', '9784801541542', '9784792214043', '9784884326661',
                '9784833100496', '9784754060749', '481579840001930880', '97847706354881920193006803',
                '9784846280963']

NOT_CONNECTED = 'インターネットに接続されていません'
TITLE_OF_ERRORS = None  # the system's own title, whatever the language: checked to differ from the program's


def isbn13(body12):
    total = sum(int(d) * (1 if i % 2 == 0 else 3) for i, d in enumerate(body12))
    return body12 + str((10 - total % 10) % 10)


# Codes of this test's own pages (valid ISBN-13, so that the host's check passes them).
MISSING_PRODUCT = isbn13('978499999001')
NOT_UTF8 = isbn13('978499999002')
PRODUCT_UNREACHABLE = isbn13('978499999003')
NO_MARKER = isbn13('978499999004')
NOT_IN_STORE = isbn13('978499999005')
BAD_CHECK_DIGIT = '9784861203313'


@dataclasses.dataclass
class Message:
    icon: str      # "plain" (the plain message dialog) or "error" (the error box)
    pattern: str   # a regular expression the whole text must match


@dataclasses.dataclass
class Batch:
    name: str
    codes: list
    dictionaries: bool = True
    store: str = 'sample'            # 'sample', 'closed' (refuses connections) or 'ini' (from tarvo.ini)
    setting_ini: str = ''            # Setting.ini beside the host program, UTF-8 here, Shift-JIS on disk
    messages: list = dataclasses.field(default_factory=list)
    corrupt_dictionary: bool = False  # AuthDB.dat is a folder (no dictionary file there)
    windows_only_host: str = ''      # run only on Windows, with the host program under this name


BATCHES = [
    Batch('sample books', SAMPLE_CODES),
    Batch('without dictionaries', SAMPLE_CODES, dictionaries=False),
    Batch('settings beside the host', SAMPLE_CODES[:3],
          setting_ini='[Entry]\r\nPurachaseSet=未購入\r\nTaxSet=1\r\nReadSet="未読"\r\n'),
    Batch('store address from tarvo.ini', SAMPLE_CODES[7:], store='ini'),
    Batch('codes skipped one by one',
          [BAD_CHECK_DIGIT, NOT_IN_STORE, SAMPLE_CODES[1], MISSING_PRODUCT, NO_MARKER, SAMPLE_CODES[8]]),
    Batch('page that is not UTF-8 after a found book', [SAMPLE_CODES[0], NOT_UTF8, SAMPLE_CODES[2]],
          messages=[Message('plain', re.escape('UTF-8 Unknown code.'))]),
    Batch('product address unreachable after a found book', [SAMPLE_CODES[0], PRODUCT_UNREACHABLE, SAMPLE_CODES[2]],
          messages=[Message('plain', re.escape(NOT_CONNECTED + '2'))]),
    Batch('store unreachable', SAMPLE_CODES[:2], store='closed',
          messages=[Message('plain', re.escape(NOT_CONNECTED))]),
    Batch('folder in place of a dictionary', SAMPLE_CODES[:2], corrupt_dictionary=True),
    Batch('host program not found', SAMPLE_CODES[:1], windows_only_host='host.exe',
          messages=[Message('error', r'.*\\mardel\.exeがありません。'),
                    Message('error', re.escape('関数がありません。Mardel、または、プラグインのバージョンが古い可能性があります。'))]),
]

STOP_CODES = [SAMPLE_CODES[0], SAMPLE_CODES[2], SAMPLE_CODES[3]]


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def closed_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def make_store(sample_store, root, closed):
    shutil.copytree(sample_store, root)
    search = open(os.path.join(sample_store, 'search', '9784861203312.html'), encoding='utf-8').read()
    product = open(os.path.join(sample_store, 'product', '30418276.html'), 'rb').read()

    def add_search(code, link):
        with open(os.path.join(root, 'search', code + '.html'), 'w', encoding='utf-8') as f:
            f.write(search.replace('/product/30418276.html', link))

    add_search(MISSING_PRODUCT, '/product/90000001.html')
    add_search(NOT_UTF8, '/product/90000002.html')
    add_search(PRODUCT_UNREACHABLE, f'http://127.0.0.1:{closed}/product/30418276.html')
    broken = product.replace('</title>'.encode(), b'\xff</title>', 1)
    assert broken != product
    open(os.path.join(root, 'product', '90000002.html'), 'wb').write(broken)
    # No search result marker: the page itself is read as the product page.
    open(os.path.join(root, 'search', NO_MARKER + '.html'), 'wb').write(product)


class Store:
    def __init__(self, mardel, root):
        self.process = subprocess.Popen([mardel, 'serve', '--sample-dir', root], stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True)
        line = self.process.stdout.readline()
        match = re.search(r'at (http://127\.0\.0\.1:\d+)', line)
        if not match:
            self.process.kill()
            raise RuntimeError('the sample store did not start: ' + line)
        self.url = match.group(1)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Clicker:
    """tarvo_clicker under Wine: answers message boxes and logs them."""

    def __init__(self, wine_run, exe, work):
        self.log = os.path.join(work, 'boxes.log')
        self.stop_file = os.path.join(work, 'clicker.stop')
        open(self.log, 'wb').close()
        self.seen = 0
        self.process = subprocess.Popen([wine_run, exe, windows_path(self.log), windows_path(self.stop_file)])

    def new_boxes(self):
        lines = open(self.log, encoding='utf-8').read().splitlines()
        fresh = lines[self.seen:]
        self.seen = len(lines)
        return [tuple(line.split('\t', 2)) for line in fresh]

    def stop(self):
        open(self.stop_file, 'w').close()
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()


def run(command, env, timeout=120):
    start = time.monotonic()
    done = subprocess.run(command, capture_output=True, env=env, timeout=timeout)
    return done, time.monotonic() - start


def main():
    parser = argparse.ArgumentParser()
    for name in ('linux-build', 'mardel-exe', 'plugin-dll', 'stop-host', 'clicker', 'wine-run', 'sample', 'work'):
        parser.add_argument('--' + name, required=True)
    args = parser.parse_args()
    began = time.monotonic()

    linux_mardel = os.path.join(args.linux_build, 'host', 'mardel')
    linux_plugin = os.path.join(args.linux_build, 'host', 'libtarvo.so')
    for path in (linux_mardel, linux_plugin):
        if not os.path.exists(path):
            print(f'{path} is missing: build the Linux preset first (make linux)')
            return 1
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    closed = closed_port()
    make_store(os.path.join(args.sample, 'store'), os.path.join(args.work, 'store'), closed)
    store = Store(linux_mardel, os.path.join(args.work, 'store'))
    clicker = Clicker(args.wine_run, args.clicker, args.work)
    env = {k: v for k, v in os.environ.items() if k != 'TARVO_STORE_URL'}
    failures = []
    timings = []

    def host_folder(tag, batch):
        """A folder with the program and the plug-in (copied: Setting.ini belongs beside the program)."""
        folder = os.path.join(args.work, 'hosts', f'{tag}-{BATCHES.index(batch)}')
        os.makedirs(folder)
        if tag == 'linux':
            shutil.copy2(linux_mardel, folder)
            shutil.copy2(linux_plugin, folder)
            program = os.path.join(folder, 'mardel')
        else:
            program = os.path.join(folder, batch.windows_only_host or 'mardel.exe')
            shutil.copy2(args.mardel_exe, program)
            shutil.copy2(args.plugin_dll, folder)
        if batch.setting_ini:
            open(os.path.join(folder, 'Setting.ini'), 'wb').write(batch.setting_ini.encode('cp932'))
        if batch.store == 'ini':
            with open(os.path.join(folder, 'tarvo.ini'), 'w') as f:
                f.write(f'[Store]\r\nBaseUrl={store.url}\r\n')
        return program

    try:
        for batch in BATCHES:
            folder = os.path.join(args.work, re.sub(r'\W+', '-', batch.name))
            results = {}
            for tag in ('linux', 'windows'):
                if tag == 'linux' and batch.windows_only_host:
                    continue
                data = os.path.join(folder, tag + '-data')
                os.makedirs(data)
                if batch.dictionaries:
                    for name in os.listdir(os.path.join(args.sample, 'data')):
                        if name.endswith('.dat'):
                            shutil.copy2(os.path.join(args.sample, 'data', name), data)
                if batch.corrupt_dictionary:
                    os.remove(os.path.join(data, 'AuthDB.dat'))
                    os.makedirs(os.path.join(data, 'AuthDB.dat'))
                out = os.path.join(folder, tag + '-out.txt')
                program = host_folder(tag, batch)
                path = windows_path if tag == 'windows' else (lambda p: p)
                command = [program, 'lookup', '--data-dir', path(data), '--out', path(out)]
                if batch.store == 'sample':
                    command += ['--store', store.url]
                elif batch.store == 'closed':
                    command += ['--store', f'http://127.0.0.1:{closed}']
                command += batch.codes
                if tag == 'windows':
                    command = [args.wine_run] + command
                done, seconds = run(command, env)
                timings.append((f'{batch.name} ({tag})', seconds))
                output = open(out, 'rb').read() if os.path.exists(out) else None
                results[tag] = (done, output)

            done, output = results['windows']
            boxes = clicker.new_boxes()
            where = f'[{batch.name}]'
            if 'linux' in results:
                linux_done, linux_output = results['linux']
                if output != linux_output:
                    failures.append(f'{where} output files differ (Linux {describe(linux_output)}, '
                                    f'Windows {describe(output)}); see {folder}')
                if done.returncode != linux_done.returncode:
                    failures.append(f'{where} exit status {done.returncode} on Windows, {linux_done.returncode} on Linux')
                if done.stdout.replace(b'\r\n', b'\n') != linux_done.stdout:
                    failures.append(f'{where} mardel printed other things:\n--- Linux\n'
                                    f'{linux_done.stdout.decode(errors="replace")}\n--- Windows\n'
                                    f'{done.stdout.decode(errors="replace")}')
                stderr = linux_done.stderr.decode('utf-8', errors='replace').splitlines()
                at = 0
                for m in batch.messages:
                    while at < len(stderr) and not re.fullmatch(m.pattern, stderr[at]):
                        at += 1
                    if at == len(stderr):
                        failures.append(f'{where} Linux did not show the message /{m.pattern}/; stderr: {stderr}')
                        break
                    at += 1
            elif output is not None:
                failures.append(f'{where} an output file was written')
            program_title = os.path.splitext(batch.windows_only_host or 'mardel.exe')[0]
            if len(boxes) != len(batch.messages):
                failures.append(f'{where} Windows showed {boxes}, expected {[m.pattern for m in batch.messages]}')
            else:
                for (title, icon, text), m in zip(boxes, batch.messages):
                    wanted_title_ok = (title == program_title) if m.icon == 'plain' else (title != program_title)
                    if icon != m.icon or not re.fullmatch(m.pattern, text) or not wanted_title_ok:
                        failures.append(f'{where} Windows box "{title}" ({icon}) "{text}", '
                                        f'expected a {m.icon} box matching /{m.pattern}/')

        # The stop button, in one process of the test host.
        folder = os.path.join(args.work, 'stop')
        data = os.path.join(folder, 'data')
        shutil.copytree(os.path.join(args.sample, 'data'), data)
        reference = os.path.join(folder, 'linux-out.txt')
        done, seconds = run([linux_mardel, 'lookup', '--data-dir', data, '--out', reference, '--store', store.url]
                            + STOP_CODES, env)
        timings.append(('stop reference (linux)', seconds))
        first, second = os.path.join(folder, 'first.txt'), os.path.join(folder, 'second.txt')
        stop_env = dict(env, TARVO_STORE_URL=store.url)
        done, seconds = run([args.wine_run, args.stop_host, windows_path(args.plugin_dll), windows_path(data) + '\\',
                             windows_path(first), windows_path(second)] + STOP_CODES, stop_env)
        timings.append(('stop button (windows)', seconds))
        if done.returncode != 0:
            failures.append('[stop button] ' + done.stderr.decode(errors='replace').strip())
        lines = open(reference, 'rb').read().split(b'\r\n')
        if len(lines) != len(STOP_CODES) + 1:
            failures.append(f'[stop button] the Linux reference found {len(lines) - 1} books, not {len(STOP_CODES)}')
        expected_first = b'\r\n'.join(lines[:2]) + b'\r\n'
        if not os.path.exists(first) or open(first, 'rb').read() != expected_first:
            failures.append('[stop button] the stopped batch did not keep exactly the first two books')
        if not os.path.exists(second) or open(second, 'rb').read() != open(reference, 'rb').read():
            failures.append('[stop button] the batch after the stop did not look every code up')
        extra = clicker.new_boxes()
        if extra:
            failures.append(f'[stop button] message boxes: {extra}')
    finally:
        clicker.stop()
        store.stop()

    for name, seconds in timings:
        print(f'{seconds:6.2f} s  {name}')
    print(f'{time.monotonic() - began:6.2f} s  in all, {len(BATCHES)} batches and the stop button')
    for f in failures:
        print('FAILED ' + f)
    return 1 if failures else 0


def describe(output):
    if output is None:
        return 'no file'
    lines = output.count(b'\r\n')
    return f'{lines} lines, {len(output)} bytes'


if __name__ == '__main__':
    sys.exit(main())
