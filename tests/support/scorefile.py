"""An independent reader of the game's score files: 512 bytes, little-endian,
title, twelve 40-byte entries, the CRC of bytes 0-503 at 504 and a zero
word at 508."""
import struct


def crc32_msb(data):
    """CRC-32, polynomial 0x04C11DB7, MSB first, initial 0, no reflection,
    no final xor; computed bit by bit."""
    reg = 0
    for byte in data:
        for bit in range(7, -1, -1):
            top = (reg >> 31) & 1
            reg = (reg << 1) & 0xFFFFFFFF
            if top != ((byte >> bit) & 1):
                reg ^= 0x04C11DB7
    return reg


def parse(data):
    """Returns (title, [(name, score, time)], valid)."""
    if len(data) != 512:
        return None, [], False
    title = data[:24].split(b"\0")[0].decode("latin-1")
    entries = []
    for i in range(12):
        raw = data[24 + 40 * i: 64 + 40 * i]
        name = raw[:24].split(b"\0")[0].decode("latin-1")
        score, = struct.unpack_from("<i", raw, 24)
        when, = struct.unpack_from("<q", raw, 32)
        entries.append((name, score, when))
    stored, zero = struct.unpack_from("<II", data, 504)
    valid = stored == crc32_msb(data[:504]) and zero == 0
    return title, entries, valid


def read(path):
    with open(path, "rb") as f:
        return parse(f.read())


FILES = (("simple.score", "Simple"), ("arcade.score", "Arcade"),
         ("succeed.score", "Succeeding"), ("tetris.score", "Tetris"))
