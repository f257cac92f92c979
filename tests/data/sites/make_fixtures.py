#!/usr/bin/env python3
"""Writes the older-layout and damaged site-file fixtures of this folder.

typical.wsd itself comes from `quillora-cli site build typical.json typical.wsd`; this script
derives the damaged copies from it and writes the "WSD 1.0" / "WSD 2.0" files, whose body is a
bzip2 stream: forms block, cover block, options block, protection byte.
"""
import bz2
import struct
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent


def blob(data: bytes) -> bytes:
    return struct.pack('<i', len(data)) + data


def short(text: bytes) -> bytes:
    return struct.pack('<H', len(text)) + text


def sized_int(n: int) -> bytes:
    return struct.pack('<Hi', 4, n)


def sized_double(v: float) -> bytes:
    return struct.pack('<Hd', 8, v)


def header(signature: bytes, tail: bytes = bytes(64)) -> bytes:
    assert len(signature) == 7 and len(tail) == 64
    return bytes([7]) + signature + tail


def form(name, action, url, fingerprint, purpose, created, fields) -> bytes:
    text = b''
    for i, lines in enumerate(fields):
        text += b'[%d6-%d2]\r\n' % (100 + i, i + 1)
        text += b''.join(line + b'\r\n' for line in lines) + b'\r\n'
    return (short(name) + short(action) + bytes([1]) + short(url) +
            short(b'application/x-www-form-urlencoded') + short(b'') + short(fingerprint) +
            bytes([purpose]) + sized_double(created) + sized_double(0.0) + text)


FIELDS = [
    [b'Field Index=0', b'Field Name=login', b'Field Tag Name=INPUT', b'Field Type=Text',
     b'Field Fill With=|Company_Login|'],
    [b'Field Index=1', b'Field Name=sid', b'Field Tag Name=INPUT', b'Field Type=Hidden',
     b'Field Value=abc', b'Field Ignore=TRUE'],
    [b'Field Index=2', b'Field Name=pwd', b'Field Tag Name=INPUT', b'Field Type=Password',
     b'Field Fill With=|Company_Password|'],
]
OTHER_FIELDS = [[b'Field Index=0', b'Field Name=title', b'Field Type=Text']]

ADDRESSES = (b'[Home]\r\nAddress=http://old-site.localhost:8765/\r\n\r\n'
             b'[Submit]\r\nAddress=http://old-site.localhost:8765/add\r\n\r\n')
OPTIONS = (b'[Common info]\r\nUIN=SITE-0049A1C2F3\r\nName=Old Site\r\nCategory 1=Games;Arcade\r\n'
           b'Language=English\r\nLast exported=02-05-2003 11:12:13\r\n'
           b'Comments=Hello%0D%0ASubmit:%0D%0AUse the form%0D%0Aat the bottom%0D%0A%0D%0ABye\r\n\r\n'
           b'[SearchOptions]\r\nDisable scripts=TRUE\r\n\r\n')


def old_file(signature: bytes, forms_block: bytes, tail: bytes) -> bytes:
    cover = (HERE / 'cover.jpg').read_bytes()
    body = blob(forms_block) + blob(cover) + blob(blob(ADDRESSES) + blob(OPTIONS)) + bytes([0])
    return header(signature, tail) + bz2.compress(body, 9)


def main() -> int:
    tail = bytes(range(64))
    first = form(b'signin', b'/login', b'http://old-site.localhost:8765/login', b'FNG2.0-lnpd', 2,
                 37000.5, FIELDS)
    second = form(b'add', b'/add', b'http://old-site.localhost:8765/add', b'FNG2.0-te', 1, 37001.5,
                  OTHER_FIELDS)
    v20 = old_file(b'WSD 2.0', sized_int(2) + blob(first) + blob(second), tail)
    (HERE / 'old_2_0.wsd').write_bytes(v20)
    # The oldest layout stores forms without a size of their own.
    (HERE / 'old_1_0.wsd').write_bytes(old_file(b'WSD 1.0', sized_int(2) + first + second, tail))
    (HERE / 'unknown_3_0.wsd').write_bytes(header(b'WSD 3.0') + b'not a body we know')

    damaged = bytearray(v20)
    for i in range(200, 240):
        damaged[i] ^= 0x5A
    (HERE / 'damaged_2_0.wsd').write_bytes(bytes(damaged))

    typical = (HERE / 'typical.wsd').read_bytes()
    (HERE / 'truncated_2_1.wsd').write_bytes(typical[:3000])  # inside the cover block
    cover_len = struct.unpack_from('<i', typical, 72)[0]
    at = 76 + cover_len
    hostile = typical[:at] + struct.pack('<I', 0x7FFFFFF0) + typical[at + 4:]
    (HERE / 'hostile_length_2_1.wsd').write_bytes(hostile)

    (HERE / 'duplicate_names.tml').write_bytes(
        b'[Fill with]\r\nemail=|Company_Info/Contact_Info/Contact_Email|\r\nname=|Program_Info/Program_Name|\r\n'
        b'email=|Company_Info/Contact_Info/Author_Email|\r\nunknown=ignored\r\n\r\n'
        b'[Ignore]\r\nemail=FALSE\r\nname=FALSE\r\nemail=true\r\nunknown=TRUE\r\n\r\n'
        b'[Treat as login]\r\nemail=FALSE\r\nname=FALSE\r\nemail=FALSE\r\nunknown=FALSE\r\n\r\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
