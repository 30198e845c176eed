#!/usr/bin/env python3
"""Writes a zip again so that the same files always give the same bytes.

  normalize_zip.py ZIP [SOURCE_DATE_EPOCH]

Entries in sorted order, folders and files alike; every date the given time
(or 1980-01-01, the first a zip can hold); modes 0755 for folders and 0644 for
files; no extra fields, so no owner ids and no access or change times.
"""

import os
import sys
import time
import zipfile

EARLIEST = (1980, 1, 1, 0, 0, 0)


def normalize(path, epoch):
    stamp = time.gmtime(epoch)[:6] if epoch is not None else EARLIEST
    stamp = max(stamp, EARLIEST)
    with zipfile.ZipFile(path) as source:
        entries = sorted((info.filename, source.read(info)) for info in source.infolist())
    temporary = path + '.part'
    with zipfile.ZipFile(temporary, 'w') as target:
        for name, data in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3  # Unix, so that the modes below are read
            if name.endswith('/'):
                info.external_attr = (0o40755 << 16) | 0x10  # and the MS-DOS folder flag
                target.writestr(info, b'')
            else:
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                target.writestr(info, data, compresslevel=9)
    os.replace(temporary, path)


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    epoch = int(argv[2]) if len(argv) == 3 and argv[2] else None
    normalize(argv[1], epoch)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
