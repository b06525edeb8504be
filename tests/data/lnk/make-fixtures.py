#!/usr/bin/env python3
"""Writes the shell-link fixtures of this folder from the published format description.

It is a second, independent writer (Python, not the C++ layer) whose files exercise the parts
the C++ writer never produces: an item ID list instead of link info, link info with Unicode
paths, and a network (UNC) location. Run it from any directory; `lnkinfo FILE` (Debian package
liblnk-utils) shows what each file holds.
"""
import os
import struct

CLSID_LINK = bytes.fromhex("0114020000000000c000000000000046")
CLSID_MY_COMPUTER = bytes.fromhex("e04fd020ea3a6910a2d808002b30309d")


def header(flags, attributes=0x20):
    return (struct.pack("<I", 0x4C) + CLSID_LINK + struct.pack("<II", flags, attributes)
            + bytes(24) + struct.pack("<IIIH", 0, 0, 1, 0) + bytes(10))


def counted(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def file_item(name, is_dir):
    body = struct.pack("<BBIIH", 0x31 if is_dir else 0x32, 0, 0, 0, 0x10 if is_dir else 0x20)
    body += name.encode("cp1252") + b"\0"
    if len(body) % 2:
        body += b"\0"
    return struct.pack("<H", len(body) + 2) + body


def id_list(path):
    drive, *parts = path.split("\\")
    items = struct.pack("<HBB", 0x14, 0x1F, 0x50) + CLSID_MY_COMPUTER
    volume = struct.pack("<B", 0x2F) + (drive + "\\").encode("ascii")
    volume += bytes(0x19 - 2 - len(volume))
    items += struct.pack("<H", 0x19) + volume
    for i, part in enumerate(parts):
        items += file_item(part, i < len(parts) - 1)
    items += b"\0\0"
    return struct.pack("<H", len(items)) + items


def link_info_unicode(local, net_name, suffix):
    header_size = 0x24
    volume = struct.pack("<IIII", 0x10 + 1, 3, 0x1234ABCD, 0x10) + b"\0"
    net = struct.pack("<IIIII", 0x14 + len(net_name) + 1, 0, 0x14, 0, 0x00020000)
    net += net_name.encode("cp1252") + b"\0"
    parts = [volume, net]
    local_a = local.encode("cp1252") + b"\0"
    suffix_a = suffix.encode("cp1252") + b"\0"
    local_w = local.encode("utf-16-le") + b"\0\0"
    suffix_w = suffix.encode("utf-16-le") + b"\0\0"
    offsets = []
    pos = header_size
    for blob in (volume, net, local_a, suffix_a, local_w, suffix_w):
        offsets.append(pos)
        pos += len(blob)
    body = volume + net + local_a + suffix_a + local_w + suffix_w
    head = struct.pack("<IIIIIIIII", header_size + len(body), header_size, 0x3,
                       offsets[0], offsets[2], offsets[1], offsets[3], offsets[4], offsets[5])
    return head + body


def write(name, data):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), "wb") as f:
        f.write(data)


# An ID list only, as shells write links to items; strings in Unicode.
write("idlist.lnk",
      header(0x01 | 0x04 | 0x10 | 0x80)
      + id_list(r"C:\VEXO\DALVO\Programa\DALVO.EXE")
      + counted("Enlace con lista de elementos") + counted("C:\\VEXO\\DALVO\\Programa\\")
      + bytes(4))

# Link info with Unicode paths, a common path suffix and a network location; ANSI strings.
desc = "Asientos Nóminas".encode("cp1252")
wdir = "D:\\Datos\\".encode("cp1252")
write("unicode-net.lnk",
      header(0x02 | 0x04 | 0x10)
      + link_info_unicode("D:\\Datos\\", "\\\\SERVIDOR\\VEXO", "Asientos Nóminas\\NOM.EXE")
      + struct.pack("<H", len(desc)) + desc + struct.pack("<H", len(wdir)) + wdir
      + bytes(4))
