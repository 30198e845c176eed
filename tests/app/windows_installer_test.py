#!/usr/bin/env python3
"""The Windows installer as a user meets it, under Wine, run by CTest on the build host.

  windows_installer_test.py SETUP NSIS_PROJECT PREPARE_SCRIPT CMAKE MAKENSIS QT_PLUGINS

For the current user (plain /S) and for all users (/S /AllUsers): install,
install a later release over it (one file added, one folder dropped, made here
from the installer's own NSIS project), uninstall as Apps & features does.
After each step: exactly the release's files, one uninstall entry, Start-menu
entries that point at the program, and nothing written where the other kind
of installation writes; after the uninstall, nothing left. On the way: a
running Quanvik stops both the installer and the uninstaller (exit code 32),
and a folder that cannot be made stops the installer (exit code 5), each
changing nothing. Runs in a copy of the Wine prefix $WINEPREFIX names; the
running Quanvik draws with the offscreen plugin from QT_PLUGINS, headless.
"""

import getpass
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

LATER_VERSION = '1.0.0.1'
ADDED = 'notes/added.txt'
DROPPED = 'imageformats'
UNINSTALLER = 'Uninstall.exe'
ENTRY = r'Software\Microsoft\Windows\CurrentVersion\Uninstall\Quanvik'
SHORTCUTS = {'Quanvik.lnk': 'quanvik.exe', 'Quanvik 使用说明.lnk': 'README.zh-CN.html'}
UNWRITABLE = r'Z:\proc\Quanvik'  # no one can make a folder there, root included
USER = getpass.getuser()
# Where each kind installs, keeps its Start-menu entries and its uninstall entry,
# and where the other kind writes, which this one must leave alone.
KINDS = {
    'current user': dict(flags=[], folder='users/%s/AppData/Local/Programs/Quanvik' % USER,
                         menu='users/%s/AppData/Roaming/Microsoft/Windows/Start Menu/Programs' % USER,
                         hive='user.reg', other='system.reg', foreign=('Program Files', 'ProgramData')),
    'all users': dict(flags=['/AllUsers'], folder='Program Files/Quanvik',
                      menu='ProgramData/Microsoft/Windows/Start Menu/Programs',
                      hive='system.reg', other='user.reg', foreign=('users/%s/' % USER,)),
}

# Wine rewrites this key of its own whenever it starts.
WINE_OWN_KEY = 'NetworkCards'

failures = []


def expect(ok, what):
    print('%-4s %s' % ('ok' if ok else 'FAIL', what))
    if not ok:
        failures.append(what)


class Prefix:
    def __init__(self, template, work):
        self.root = os.path.join(work, 'wine')
        # The template's server may be saving a hive meanwhile: its temporary
        # file can vanish before it is copied.
        shutil.copytree(template, self.root, symlinks=True, ignore=shutil.ignore_patterns('*.tmp'))
        self.drive = os.path.join(self.root, 'drive_c')
        # The suite's overrides, and no Linux menu entries for the shortcuts.
        overrides = os.environ.get('WINEDLLOVERRIDES', '') + ';winemenubuilder.exe=d'
        self.env = dict(os.environ, WINEPREFIX=self.root, WINEDEBUG='-all', WINEDLLOVERRIDES=overrides)

    def wine(self, *args):
        # What Wine says (a crash's backtrace among it) reaches the test's log.
        return subprocess.run(['wine', *args], env=self.env, stdout=subprocess.DEVNULL).returncode

    def settle(self):
        """Waits for every program, an uninstaller's copy of itself among them, to end."""
        subprocess.run(['wineserver', '-w'], env=self.env)

    def batch(self, line):
        """Runs one command line as Windows parses it: Wine would quote an argument
        such as _?=C:\\Program Files\\Quanvik, which NSIS then does not see."""
        with open(os.path.join(self.drive, 'quanvik-test.bat'), 'w', newline='') as f:
            f.write('@%s\r\n@exit /b %%errorlevel%%\r\n' % line)
        status = self.wine('cmd', '/c', r'C:\quanvik-test.bat')
        os.remove(os.path.join(self.drive, 'quanvik-test.bat'))
        return status

    def windows(self, path):
        return 'C:\\' + path.replace('/', '\\')

    def files(self):
        """Every file and folder on C:, but Windows' own and the temporary files
        (an uninstaller's copy of itself stays there until the next restart)."""
        found = set()
        for top, dirs, names in os.walk(self.drive):
            relative = os.path.relpath(top, self.drive)
            if relative in ('windows', 'users/%s/Temp' % USER):
                dirs[:] = []
                continue
            found.update(os.path.normpath(os.path.join(relative, n)) for n in dirs + names)
        return found

    def registry(self, hive):
        """Each key of a hive with its values, as Wine saved it."""
        subprocess.run(['wineserver', '-k'], env=self.env)
        keys, key = {}, None
        with open(os.path.join(self.root, hive), encoding='utf-8', errors='replace') as f:
            for line in f:
                if line.startswith('['):
                    key = line[1:line.rindex(']')].replace('\\\\', '\\')
                    keys[key] = {}
                elif key and line.startswith('"') and '=' in line and not line.startswith('#'):
                    name, value = line.rstrip('\n').split('=', 1)
                    if value.startswith('"'):
                        value = re.sub(r'\\(.)', r'\1', value[1:-1])
                    keys[key][name.strip('"')] = value
        return keys

    def snapshot(self):
        """The files, and the keys but Wine's own and the Uninstall key above the
        entry, which Windows keeps whether or not any program has an entry."""
        keys = {hive: {key for key in self.registry(hive)
                       if WINE_OWN_KEY not in key and not ENTRY.startswith(key + '\\')}
                for hive in ('user.reg', 'system.reg')}
        return self.files(), keys


def later_release(project, work, prepare, cmake, makensis):
    """The installer of a later release: one file more, one folder less."""
    copy = os.path.join(work, 'later')
    shutil.copytree(project, copy, symlinks=True)
    with open(os.path.join(copy, 'project.nsi'), encoding='utf-8') as f:
        script = f.read().replace(project, copy)
    staged = re.search(r'!define INST_DIR "(.*)"', script).group(1)
    shutil.rmtree(os.path.join(staged, DROPPED))
    os.makedirs(os.path.dirname(os.path.join(staged, ADDED)))
    with open(os.path.join(staged, ADDED), 'w') as f:
        f.write('added in %s\n' % LATER_VERSION)
    environment = {k: v for k, v in os.environ.items() if not k.startswith('QUANVIK_SIGN')}
    subprocess.run([cmake, '-DCPACK_GENERATOR=NSIS', '-DCPACK_TEMPORARY_DIRECTORY=' + staged,
                    '-DCPACK_TOPLEVEL_DIRECTORY=' + copy, '-P', prepare], env=environment, check=True)
    script = re.sub(r'"DisplayVersion" "[^"]*"', '"DisplayVersion" "%s"' % LATER_VERSION, script)
    script = re.sub(r'OutFile "[^"]*"', 'OutFile "%s/later-setup.exe"' % copy, script)
    with open(os.path.join(copy, 'project.nsi'), 'w', encoding='utf-8') as f:
        f.write(script)
    subprocess.run([makensis, '-V1', '-INPUTCHARSET', 'UTF8', os.path.join(copy, 'project.nsi')],
                   env=environment, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(copy, 'later-setup.exe'), LATER_VERSION, release_files(staged)


def release_files(staged):
    found = set()
    for top, dirs, names in os.walk(staged):
        relative = os.path.relpath(top, staged)
        found.update(os.path.normpath(os.path.join(relative, n)) for n in dirs + names)
    return found | {UNINSTALLER}


def started(program, path, seconds=120):
    """Waits until the program maps its file: from then on, as on Windows, the
    file cannot be opened for writing. Starting takes a new Wine server and Qt,
    seconds on a busy machine."""
    path = os.path.realpath(path)
    deadline = time.monotonic() + seconds
    while program.poll() is None and time.monotonic() < deadline:
        for pid in filter(str.isdigit, os.listdir('/proc')):
            try:
                with open('/proc/%s/maps' % pid, encoding='utf-8', errors='replace') as f:
                    if path in f.read():
                        return True
            except OSError:
                pass
        time.sleep(0.2)
    return False


def check_installed(prefix, kind, before, version, files):
    where = KINDS[kind]
    folder = where['folder']
    now, keys = prefix.snapshot()
    installed = {os.path.relpath(p, folder) for p in now if p.startswith(folder + '/')}
    expect(installed == files, '%s %s: the release\'s files, no more (%s) and no less (%s)'
           % (kind, version, sorted(installed - files), sorted(files - installed)))
    entries = {hive: prefix.registry(hive).get(ENTRY) for hive in ('user.reg', 'system.reg')}
    entry = entries[where['hive']] or {}
    expect(entry.get('DisplayVersion') == version and entry.get('InstallLocation') ==
           prefix.windows(folder), '%s %s: one uninstall entry, %s' % (kind, version, entry.get('DisplayVersion')))
    expect(entries[where['other']] is None, '%s %s: no entry in %s' % (kind, version, where['other']))
    for name, target in SHORTCUTS.items():
        path = os.path.join(prefix.drive, where['menu'], name)
        data = open(path, 'rb').read().lower() if os.path.exists(path) else b''
        wanted = (prefix.windows(folder) + '\\' + target).lower()
        expect(wanted.encode('utf-16-le') in data or wanted.encode('latin-1') in data,
               '%s %s: %s points at %s' % (kind, version, name, target))
    added = now - before[0]
    foreign = sorted(p for p in added if p.startswith(where['foreign']))
    expect(not foreign, '%s %s: nothing under %s (%s)' % (kind, version, ', '.join(where['foreign']), foreign))
    added_keys = keys[where['other']] - before[1][where['other']]
    added_keys |= {key for key, values in prefix.registry(where['other']).items()
                   if 'quanvik' in (key + repr(values)).lower()}
    expect(not added_keys, '%s %s: no key added to %s, none names Quanvik (%s)'
           % (kind, version, where['other'], sorted(added_keys)))


def check_unchanged(prefix, before, what):
    after = prefix.snapshot()
    expect(after[0] == before[0], '%s: no file or folder changed (%s added, %s gone)'
           % (what, sorted(after[0] - before[0]), sorted(before[0] - after[0])))
    for hive in after[1]:
        expect(after[1][hive] == before[1][hive], '%s: the keys of %s unchanged (%s added, %s gone)'
               % (what, hive, sorted(after[1][hive] - before[1][hive]), sorted(before[1][hive] - after[1][hive])))


def try_kind(prefix, kind, first, later, plugins):
    """first and later: each release's installer, version and files."""
    where = KINDS[kind]
    flags = where['flags']
    before = prefix.snapshot()
    expect(prefix.wine(first[0], '/S', *flags, '/D=' + UNWRITABLE) == 5,
           '%s: a folder that cannot be made stops the installer with exit code 5' % kind)
    check_unchanged(prefix, before, '%s, folder that cannot be made' % kind)

    expect(prefix.wine(first[0], '/S', *flags) == 0, '%s: installed' % kind)
    check_installed(prefix, kind, before, *first[1:])

    folder = prefix.windows(where['folder'])
    if kind == 'current user':
        installed = prefix.snapshot()
        headless = dict(prefix.env, WINEQT_QPA_PLATFORM='offscreen', WINEQT_PLUGIN_PATH=plugins)
        running = subprocess.Popen(['wine', folder + '\\quanvik.exe'], env=headless, stdout=subprocess.DEVNULL)
        expect(started(running, os.path.join(prefix.drive, where['folder'], 'quanvik.exe')),
               '%s: Quanvik started' % kind)
        expect(prefix.wine(later[0], '/S', *flags) == 32, '%s: a running Quanvik stops the installer (32)' % kind)
        expect(prefix.batch('"%s\\%s" /S _?=%s' % (folder, UNINSTALLER, folder)) == 32,
               '%s: a running Quanvik stops the uninstaller (32)' % kind)
        running.kill()
        subprocess.run(['wineserver', '-k'], env=prefix.env)
        running.wait()
        check_unchanged(prefix, installed, '%s, while running' % kind)

    expect(prefix.wine(later[0], '/S', *flags) == 0, '%s: the later release installed over it' % kind)
    check_installed(prefix, kind, before, *later[1:])

    # As Apps & features does: the entry's own command, which returns at once
    # while the uninstaller's copy of itself does the work.
    command = prefix.registry(where['hive'])[ENTRY]['QuietUninstallString']
    program, arguments = re.match(r'"([^"]+)" *(.*)', command).groups()
    expect(prefix.wine(program, *arguments.split()) == 0, '%s: uninstalled' % kind)
    prefix.settle()
    check_unchanged(prefix, before, '%s, after the uninstall' % kind)


def main(argv):
    if len(argv) != 7:
        print(__doc__, file=sys.stderr)
        return 2
    setup, project, prepare, cmake, makensis, plugins = argv[1:]
    plugins = 'Z:' + os.path.realpath(plugins).replace('/', '\\')
    for tool in ('wine', 'wineserver', makensis):
        if not shutil.which(tool):
            print('SKIPPED: %s is not installed' % tool)
            return 0
    version = re.search(r'-(\d+(?:\.\d+)+)-', os.path.basename(setup)).group(1)
    with open(os.path.join(project, 'project.nsi'), encoding='utf-8') as f:
        first = (setup, version, release_files(re.search(r'!define INST_DIR "(.*)"', f.read()).group(1)))
    with tempfile.TemporaryDirectory(prefix='quanvik-installer.') as work:
        later = later_release(project, work, prepare, cmake, makensis)
        prefix = Prefix(os.environ['WINEPREFIX'], work)
        try:
            for kind in KINDS:
                try_kind(prefix, kind, first, later, plugins)
        finally:
            subprocess.run(['wineserver', '-k'], env=prefix.env)
    print('%d checks failed' % len(failures) if failures else 'all checks passed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
