#!/usr/bin/env python3
"""Checks of the Windows zip, run by CTest on the build host.

  windows_package_check.py contents ZIP [--qt-notes]   exactly the files the program needs
  windows_package_check.py hardening ZIP               every program and DLL hardened
  windows_package_check.py qt-stamps ZIP DATE_FILE     Qt's DLLs dated as the toolchain says
"""

import struct
import sys
import zipfile

# What the zip holds, no more and no less: a file missing breaks the program,
# or the licence terms, on some machine; one more is carried for nothing.
FILES = [
    'quanvik.exe', 'qt.conf', 'Qt6Core.dll', 'Qt6Gui.dll', 'Qt6Widgets.dll',
    'platforms/qwindows.dll', 'styles/qmodernwindowsstyle.dll', 'imageformats/qico.dll',
    'translations/qtbase_zh_CN.qm', 'libstdc++-6.dll', 'libgcc_s_seh-1.dll',
    'libwinpthread-1.dll',
    'fonts/wqy-microhei.ttc', 'fonts/wqy-microhei-copyright.txt', 'fonts/Apache-2.0.txt',
    'licenses/README.txt', 'licenses/LGPL-3.0-only.txt', 'licenses/GPL-3.0-only.txt',
    'licenses/gcc-runtime-copyright.txt', 'licenses/mingw-w64-copyright.txt',
    'licenses/quanvik-copyright.txt', 'README.zh-CN.html',
]
# The notes scripts/windows-toolchain leaves beside the Qt it builds; a Qt
# from elsewhere has none.
QT_NOTES = ['licenses/qt6-base-copyright.txt', 'licenses/qt6-base-source.txt']
OLDEST_QT = (6, 8)

# PE32+ optional header: DllCharacteristics, then the data directories, of
# which the fifth is the base relocation table.
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
PE32_PLUS = 0x20B
DLL_CHARACTERISTICS = {
    'HIGH_ENTROPY_VA': 0x0020,  # 64-bit address space layout randomisation
    'DYNAMIC_BASE': 0x0040,  # address space layout randomisation at all
    'NX_COMPAT': 0x0100,  # data execution prevention
}
BASE_RELOCATION_DIRECTORY = 5


def members(archive):
    """The files of the zip, without the folder every entry starts with."""
    return {name.split('/', 1)[1]: name for name in archive.namelist()
            if not name.endswith('/') and '/' in name}


def file_version(data):
    """The file version in a PE file's version resource (VS_FIXEDFILEINFO)."""
    at = data.find(struct.pack('<I', 0xFEEF04BD))
    if at < 0:
        return None
    most, least = struct.unpack_from('<II', data, at + 8)
    return (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)


def hardening_faults(data):
    """What a PE file lacks of the hardening Windows applies, as texts."""
    if data[:2] != b'MZ':
        return ['not a PE file']
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        return ['not a PE file']
    characteristics = struct.unpack_from('<H', data, pe + 22)[0]
    optional = pe + 24
    if struct.unpack_from('<H', data, optional)[0] != PE32_PLUS:
        return ['not a 64-bit PE file']
    dll = struct.unpack_from('<H', data, optional + 70)[0]
    faults = [name for name, bit in DLL_CHARACTERISTICS.items() if not dll & bit]
    directories = struct.unpack_from('<I', data, optional + 108)[0]
    relocations = 0
    if directories > BASE_RELOCATION_DIRECTORY:
        relocations = struct.unpack_from('<II', data, optional + 112 + 8 * BASE_RELOCATION_DIRECTORY)[1]
    # Without relocations the loader cannot move the image: DYNAMIC_BASE is then a dead letter.
    if characteristics & IMAGE_FILE_RELOCS_STRIPPED or relocations == 0:
        faults.append('relocation table')
    return faults


def pe_time_stamp(data):
    """The TimeDateStamp of a PE file's COFF header."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    return struct.unpack_from('<I', data, pe + 8)[0]


def check_qt_stamps(path, date_file):
    """Every Qt DLL carries the date of its source, not of the build that made it."""
    with open(date_file, encoding='ascii') as f:
        text = f.read().strip()
    if not text.isdigit():
        print('%s names no source date' % date_file)
        return False
    expected, ok = int(text), True
    with zipfile.ZipFile(path) as archive:
        qt = sorted(name for name in members(archive) if name.lower().endswith('.dll')
                    and (name.startswith('Qt6') or '/' in name))
        for name in qt:
            stamp = pe_time_stamp(archive.read(members(archive)[name]))
            print('%-32s %d%s' % (name, stamp, '' if stamp == expected else ', not %d' % expected))
            ok = ok and stamp == expected
    return ok and bool(qt)


def check_contents(path, qt_notes):
    with zipfile.ZipFile(path) as archive:
        found = members(archive)
        expected = set(FILES + (QT_NOTES if qt_notes else []))
        missing, extra = sorted(expected - set(found)), sorted(set(found) - expected)
        for name in missing:
            print('missing: ' + name)
        for name in extra:
            print('not expected: ' + name)
        version = file_version(archive.read(found['Qt6Core.dll'])) if 'Qt6Core.dll' in found else None
    print('%s holds %d files; Qt6Core.dll is version %s'
          % (path, len(found), '.'.join(map(str, version)) if version else 'unknown'))
    if version is None or version[:2] < OLDEST_QT:
        print('Qt %d.%d or newer is needed' % OLDEST_QT)
        return False
    return not missing and not extra


def check_hardening(path):
    ok = True
    with zipfile.ZipFile(path) as archive:
        programs = [name for name in members(archive) if name.lower().endswith(('.exe', '.dll'))]
        for name in sorted(programs):
            faults = hardening_faults(archive.read(members(archive)[name]))
            print('%-32s %s' % (name, 'lacks ' + ', '.join(faults) if faults else 'hardened'))
            ok = ok and not faults
    if not programs:
        print('no program or DLL in ' + path)
        return False
    return ok


def main(argv):
    if len(argv) >= 3 and argv[1] == 'contents':
        ok = check_contents(argv[2], '--qt-notes' in argv[3:])
    elif len(argv) == 3 and argv[1] == 'hardening':
        ok = check_hardening(argv[2])
    elif len(argv) == 4 and argv[1] == 'qt-stamps':
        ok = check_qt_stamps(argv[2], argv[3])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    # The closing line CTest waits for.
    print('windows_package_check.py %s: %s' % (argv[1], 'passed' if ok else 'failed'))
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
