#!/usr/bin/env python3
"""Checks the icon group, version information and manifest a Windows program carries.

binutils' windres decompiles the resources, of the built quanvik.exe itself
or of the .res compiled from the generated resource script, into resource
script text, which is read back here; objdump tells the exe's subsystem.

  resource_check.py --windres W --exe quanvik.exe --objdump O --version 1.0.0.0
  resource_check.py --windres W --rc quanvik.rc --preprocessor CXX --version 1.0.0.0
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

ARGS = None

RT_ICON = 3
RT_GROUP_ICON = 14
RT_MANIFEST = 24
LANGUAGE_NEUTRAL = (0, 0)
LANGUAGE_ZH_CN = (0x04, 0x02)  # LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED: 0x0804
CODE_PAGE_UNICODE = 1200
VFT_APP = 1
ICON_SIZES = [48, 32, 24, 16]  # largest first, as the group lists them
WINDOWS_10_AND_11 = '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'

# Memory flags follow in a .res; an exe's resources have none.
HEADER = re.compile(r'^(\d+) (\d+) /\* \w+ \*/( [A-Z ]+)?$')
LANGUAGE = re.compile(r'^LANGUAGE (\d+), (\d+)$')
GROUP_ENTRY = re.compile(r'^\s*"((?:\\[0-7]{3}){4})", (\d+), (\d+), (0x[0-9a-f]+)L, (\d+)')
VALUE = re.compile(r'^\s*VALUE "(\w+)", (.*)$')


def run(command):
    proc = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=False)
    if proc.returncode != 0:
        raise RuntimeError('%s failed:\n%s' % (' '.join(command), proc.stdout.decode(errors='replace')))
    return proc.stdout.decode('utf-8', errors='replace')


def decompile():
    """The resource script text windres makes of the exe or the compiled script."""
    if ARGS.exe:
        return run([ARGS.windres, '-i', ARGS.exe, '-O', 'rc'])
    with tempfile.TemporaryDirectory() as tmp:
        res = os.path.join(tmp, 'quanvik.res')
        # windres's default preprocessor is the MinGW gcc, which the cross
        # binutils alone do not bring; any C preprocessor serves.
        run([ARGS.windres, '--preprocessor=' + ARGS.preprocessor, '--preprocessor-arg=-E',
             '--preprocessor-arg=-xc', '--preprocessor-arg=-DRC_INVOKED',
             '-i', ARGS.rc, '-O', 'res', '-o', res])
        return run([ARGS.windres, '-i', res, '-O', 'rc'])


def words(body):
    """Raw data written as 0x...L (32-bit) and 0x... (16-bit) numbers."""
    data = bytearray()
    for token in body.replace(',', ' ').split():
        if token.endswith('L'):
            data += struct.pack('<I', int(token[:-1], 16))
        else:
            data += struct.pack('<H', int(token, 16))
    return bytes(data)


def unquote(text):
    """A resource script string, "..." or L"...", with its C escapes and "" for a quote."""
    m = re.fullmatch(r'L?"((?:[^"\\]|""|\\.)*)"', text.strip())
    if not m:
        raise ValueError('not a string: %r' % text)
    return re.sub(r'\\x([0-9a-fA-F]{1,4})|\\([0-7]{1,3})|\\(.)|""',
                  lambda e: chr(int(e.group(1), 16)) if e.group(1) else
                  chr(int(e.group(2), 8)) if e.group(2) else
                  ({'n': '\n', 'r': '\r', 't': '\t'}.get(e.group(3), e.group(3)) if e.group(3) else '"'),
                  m.group(1))


def parse(text):
    """Resources as {(type, name): lines of the body}, each with its LANGUAGE."""
    resources = {}
    languages = {}
    language = None
    lines = text.splitlines()
    at = 0
    while at < len(lines):
        line = lines[at].strip()
        m = LANGUAGE.match(line)
        if m:
            language = (int(m.group(1)), int(m.group(2)))
        key = None
        m = HEADER.match(line)
        if m:
            key = (int(m.group(2)), int(m.group(1)))
        elif re.match(r'^\d+ VERSIONINFO$', line):
            key = ('VERSIONINFO', int(line.split()[0]))
        if key is not None:
            depth, body = 0, []
            at += 1
            while at < len(lines):
                body.append(lines[at])
                word = lines[at].strip()
                depth += word == 'BEGIN'
                depth -= word == 'END'
                at += 1
                if word == 'END' and depth == 0:
                    break
            resources[key] = body
            languages[key] = language
            continue
        at += 1
    return resources, languages


class Resources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.text = decompile()
        cls.resources, cls.languages = parse(cls.text)

    def icon(self, name):
        body = self.resources.get((RT_ICON, name))
        self.assertIsNotNone(body, 'the group names icon %d, which is missing' % name)
        return words(' '.join(line for line in body if line.strip() not in ('BEGIN', 'END')))

    def test_everyResourceIsChinesePrc(self):
        self.assertTrue(self.resources, 'no resources found:\n' + self.text[:2000])
        for key, language in self.languages.items():
            with self.subTest(resource=key):
                # The manifest carries no text, and the loader looks it up language-neutral.
                self.assertEqual(language, LANGUAGE_NEUTRAL if key[0] == RT_MANIFEST else LANGUAGE_ZH_CN)

    def test_iconGroupHoldsFourRgbaImagesLargestFirst(self):
        groups = [k for k in self.resources if k[0] == RT_GROUP_ICON]
        self.assertEqual(groups, [(RT_GROUP_ICON, 1)], 'one group, the lowest-numbered one Explorer shows')
        entries = [GROUP_ENTRY.match(line) for line in self.resources[groups[0]]]
        entries = [m for m in entries if m]
        self.assertEqual(len(entries), len(ICON_SIZES))
        self.assertEqual(len([k for k in self.resources if k[0] == RT_ICON]), len(ICON_SIZES),
                         'no image outside the group')
        for size, entry in zip(ICON_SIZES, entries):
            with self.subTest(size=size):
                dims = [int(o, 8) for o in re.findall(r'\\([0-7]{3})', entry.group(1))]
                self.assertEqual(dims[:2], [size, size])
                self.assertEqual(int(entry.group(2)), 1, 'planes')
                self.assertEqual(int(entry.group(3)), 32, 'bits per pixel in the group')
                dib = self.icon(int(entry.group(5)))
                self.assertEqual(int(entry.group(4), 16), len(dib), 'size in the group')
                header, width, height, _, bits, compression = struct.unpack_from('<IiiHHI', dib)
                self.assertEqual(header, 40, 'a BITMAPINFOHEADER image')
                self.assertEqual((width, height), (size, 2 * size), 'colour and mask rows')
                self.assertEqual(bits, 32)
                self.assertEqual(compression, 0, 'uncompressed')
                # The alpha channel carries the shape: the corner outside the
                # rounded tile is clear, the centre solid.
                stride = size * 4
                self.assertGreaterEqual(len(dib), 40 + stride * size)
                self.assertEqual(dib[40 + 3], 0)
                self.assertEqual(dib[40 + (size // 2) * stride + (size // 2) * 4 + 3], 255)


class VersionInfo(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        resources, _ = parse(decompile())
        keys = [k for k in resources if k[0] == 'VERSIONINFO']
        cls.keys = keys
        cls.body = resources[keys[0]] if keys else []
        cls.fixed = {}
        for line in cls.body:
            m = re.match(r'^\s*(FILEVERSION|PRODUCTVERSION|FILEFLAGSMASK|FILEFLAGS|FILEOS|FILETYPE'
                         r'|FILESUBTYPE) (.*)$', line)
            if m and 'BEGIN' not in cls.body[:cls.body.index(line)]:
                cls.fixed[m.group(1)] = m.group(2).strip()
        cls.blocks = [re.match(r'^\s*BLOCK "(\w+)"', line).group(1)
                      for line in cls.body if re.match(r'^\s*BLOCK "', line)]
        cls.values = {}
        for line in cls.body:
            m = VALUE.match(line)
            if m:
                cls.values[m.group(1)] = m.group(2)

    def test_oneVersionResourceNamedOne(self):
        self.assertEqual(self.keys, [('VERSIONINFO', 1)])

    def test_fixedInfoCarriesProjectVersionAndMarksAnApplication(self):
        version = ', '.join(ARGS.version.split('.'))
        for field, want in [('FILEVERSION', version), ('PRODUCTVERSION', version),
                            ('FILETYPE', '0x%x' % VFT_APP)]:
            with self.subTest(field=field):
                self.assertEqual(self.fixed.get(field), want)
        # windres leaves FILEFLAGS out when it is 0: no debug, pre-release or patched flag.
        self.assertIn(self.fixed.get('FILEFLAGS', '0x0'), ('0x0', '0'))

    def test_oneChineseStringTableWithTheNamedStrings(self):
        self.assertEqual(self.blocks, ['StringFileInfo', '080404B0', 'VarFileInfo'])
        major, minor = ARGS.version.split('.')[:2]
        short = '%d.%02d' % (int(major), int(minor))  # Windows shows 1.0.x.x as "1.00"
        for key, want in [('FileVersion', short), ('ProductVersion', short),
                          ('ProductName', 'Quanvik'), ('OriginalFilename', 'quanvik.exe'),
                          ('InternalName', 'quanvik'), ('CompanyName', None),
                          ('FileDescription', None)]:
            with self.subTest(key=key):
                self.assertIn(key, self.values)
                text = unquote(self.values[key])
                if want is None:
                    self.assertTrue(text)
                else:
                    self.assertEqual(text, want)
        # Read with the wrong code page the Chinese would come out as mojibake.
        self.assertIn('期货', unquote(self.values.get('FileDescription', '""')))

    def test_translationIsChinesePrcUnicode(self):
        numbers = [int(n, 0) for n in self.values.get('Translation', '').split(',') if n.strip()]
        self.assertEqual(numbers, [0x0804, CODE_PAGE_UNICODE])


class Manifest(unittest.TestCase):
    NS = {'v1': 'urn:schemas-microsoft-com:asm.v1', 'v3': 'urn:schemas-microsoft-com:asm.v3',
          'compat': 'urn:schemas-microsoft-com:compatibility.v1',
          'ws2005': 'http://schemas.microsoft.com/SMI/2005/WindowsSettings',
          'ws2016': 'http://schemas.microsoft.com/SMI/2016/WindowsSettings'}

    @classmethod
    def setUpClass(cls):
        resources, _ = parse(decompile())
        cls.keys = [k for k in resources if k[0] == RT_MANIFEST]
        body = resources.get((RT_MANIFEST, 1), [])
        text = ''.join(unquote(line) for line in body if line.strip() not in ('BEGIN', 'END'))
        cls.root = ET.fromstring(text) if text else None

    def test_oneManifestWhereTheLoaderLooks(self):
        # CREATEPROCESS_MANIFEST_RESOURCE_ID: a manifest under any other name is not read.
        self.assertEqual(self.keys, [(RT_MANIFEST, 1)])

    def test_declaresWhatWindowsAsks(self):
        self.assertIsNotNone(self.root, 'no manifest')
        for path, attribute, want in [
            # Windows 10 and 11 behave as themselves, not as for a pre-8.1 program.
            ('compat:compatibility/compat:application/compat:supportedOS', 'Id', WINDOWS_10_AND_11),
            # The program never asks for elevation.
            ('v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel',
             'level', 'asInvoker'),
            ('v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel',
             'uiAccess', 'false'),
            # What Qt sets at start: anything else makes its own request fail with a warning.
            ('v3:application/v3:windowsSettings/ws2016:dpiAwareness', None, 'PerMonitorV2'),
            # Windows before 10 1607 read only this one.
            ('v3:application/v3:windowsSettings/ws2005:dpiAware', None, 'true/pm'),
        ]:
            with self.subTest(path=path, attribute=attribute):
                found = self.root.findall(path, self.NS)
                self.assertEqual(len(found), 1)
                value = found[0].get(attribute) if attribute else found[0].text
                self.assertEqual((value or '').strip().lower(), want.lower())


class Executable(unittest.TestCase):
    def setUp(self):
        if not ARGS.exe:
            self.skipTest('no executable given: the resource script alone is checked')

    def test_isA64BitWindowsGuiProgram(self):
        headers = run([ARGS.objdump, '-p', ARGS.exe])
        self.assertIn('file format pei-x86-64', headers)
        subsystem = re.search(r'^Subsystem\s+(.*)$', headers, re.M)
        self.assertIsNotNone(subsystem)
        # Subsystem 2 is the Windows GUI: no console window opens with it.
        self.assertEqual(subsystem.group(1).split(), ['00000002', '(Windows', 'GUI)'])


def main():
    global ARGS
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--windres', required=True)
    ap.add_argument('--objdump')
    ap.add_argument('--exe')
    ap.add_argument('--rc')
    ap.add_argument('--preprocessor', default='cpp')
    ap.add_argument('--version', required=True, help='major.minor.patch.tweak')
    ARGS, rest = ap.parse_known_args()
    if bool(ARGS.exe) == bool(ARGS.rc):
        ap.error('give one of --exe and --rc')
    if ARGS.exe and not ARGS.objdump:
        ap.error('--exe needs --objdump')
    unittest.main(argv=[sys.argv[0], '-v'] + rest)


if __name__ == '__main__':
    main()
