#!/usr/bin/python3
# Helpers of scripts/desktop-matrix.sh that shell tools do badly.
#
#   desktop_probe.py marks PICTURE.ppm LEFT TOP WIDTH HEIGHT
#       Finds the tray marks in the bar (that rectangle of a P6 picture) and prints one line per item, left to right:
#         item <left> <right> <centre x> <centre y> glyph=<n> lit=<n> claude=<n> background=<r,g,b>
#       glyph counts the pixels of the item's upper part that stand out from
#       the bar behind it at 3:1 or more, lit the saturated pixels of its lower
#       part (the lit cells) that do, claude the pixels in the hue of Claude's
#       spark.
#   desktop_probe.py changed BEFORE.ppm AFTER.ppm TOP HEIGHT
#       Prints the bounding box "x y w h" of what changed off the bar (rows TOP
#       to TOP+HEIGHT), or nothing.
#   desktop_probe.py notifications --log FILE
#       Serves org.freedesktop.Notifications on the session bus and appends
#       "notify <summary>" to FILE per notification; "ready" once it serves.
#   desktop_probe.py wayland-click X Y BUTTON WIDTH HEIGHT
#       Moves a virtual pointer (wlr-virtual-pointer, which sway offers) to X Y
#       of a WIDTH x HEIGHT output and clicks BUTTON (1 left, 3 right): a
#       headless compositor has no pointer of its own.
#   desktop_probe.py sway-window TREE.json
#       Prints "floating|tiled x y w h" of the window titled "Ostrel" in
#       `swaymsg -t get_tree` output, or nothing.
import colorsys
import json
import re
import sys
from collections import Counter


def read_ppm(path):
    with open(path, "rb") as picture:
        data = picture.read()
    # "P6 width height maxval" and one whitespace byte; the pixels may start
    # with bytes that look like whitespace.
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    if not header:
        sys.exit(f"{path}: not an 8-bit P6 picture")
    return int(header.group(1)), int(header.group(2)), data[header.end():]


def luminance(rgb):
    def channel(value):
        value /= 255
        return value / 12.92 if value <= 0.03928 else ((value + 0.055) / 1.055) ** 2.4

    r, g, b = (channel(v) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def distance(a, b):
    return max(abs(x - y) for x, y in zip(a, b))


def marks(path, left_edge, top, bar_width, height):
    width, full_height, pixels = read_ppm(path)
    rows = range(top, min(top + height, full_height))
    first, last = left_edge, min(width, left_edge + bar_width)

    def pixel(x, y):
        offset = 3 * (y * width + x)
        return tuple(pixels[offset:offset + 3])

    columns = {x: [pixel(x, y) for y in rows] for x in range(first, last)}
    # The bar behind a pixel: the commonest colour of its column and of its row
    # around it, which the marks (small, and of many shades) never are. A pixel
    # unlike both is ink; the row keeps a border line along the bar out.
    backgrounds = {}
    for x in range(first, last):
        around = Counter()
        for near in range(max(first, x - 14), min(last, x + 15)):
            around.update(columns[near])
        backgrounds[x] = around.most_common(1)[0][0]
    row_backgrounds = {}
    for index, _ in enumerate(rows):
        line = [columns[x][index] for x in range(first, last)]
        for x in range(first, last):
            if (x - first) % 16 == 0:
                window = Counter(line[max(0, x - first - 40):x - first + 41]).most_common(1)[0][0]
            row_backgrounds[x, index] = window

    def ink(x, index):
        colour = columns[x][index]
        return distance(colour, backgrounds[x]) > 24 and distance(colour, row_backgrounds[x, index]) > 24

    inked = [any(ink(x, index) for index in range(len(rows))) for x in range(first, last)]
    # Runs of inked columns; a gap of one column stays inside one mark.
    runs, start, gap = [], None, 0
    for x, inked_here in enumerate(inked + [False] * 5, start=first):
        if inked_here:
            start = x if start is None else start
            gap = 0
        elif start is not None:
            gap += 1
            if gap > 1:
                runs.append((start, x - gap))
                start, gap = None, 0
    for left, right in runs:
        if right - left < 5:
            continue
        ys = [y for x in range(left, right + 1) for index, y in enumerate(rows) if ink(x, index)]
        upper, lower = min(ys), max(ys)
        # The cells are the lowest rows of ink; the glyph is what stands above
        # them, past a blank row (or, where it touches them, the upper part).
        inked_rows = set(ys)
        middle = lower
        while middle in inked_rows:
            middle -= 1
        if middle < upper:
            # A mark fills most of the bar's height: ink in less than a third
            # of it is cells alone, with no glyph to be seen above them.
            middle = upper - 1 if lower - upper < height / 3 else upper + (lower - upper) * 0.55
        glyph = lit = claude = 0
        for x in range(left, right + 1):
            back = backgrounds[x]
            for y, c in zip(rows, columns[x]):
                if not upper <= y <= lower:
                    continue
                hue, saturation, value = colorsys.rgb_to_hsv(*(v / 255 for v in c))
                if 10 / 360 <= hue <= 24 / 360 and saturation > 0.3 and value > 0.3:
                    claude += 1
                if contrast(c, back) < 3:
                    continue
                if y <= middle:
                    glyph += 1
                elif saturation > 0.35:
                    lit += 1
        back = Counter(backgrounds[x] for x in range(left, right + 1)).most_common(1)[0][0]
        print(f"item {left} {right} {(left + right) // 2} {(upper + lower) // 2} "
              f"glyph={glyph} lit={lit} claude={claude} background={','.join(map(str, back))}")


def changed(before_path, after_path, top, bar_height):
    width, height, before = read_ppm(before_path)
    _, _, after = read_ppm(after_path)
    xs, ys = [], []
    for y in range(height):
        if top <= y < top + bar_height:
            continue
        row = 3 * y * width
        if before[row:row + 3 * width] == after[row:row + 3 * width]:
            continue
        for x in range(width):
            offset = row + 3 * x
            if before[offset:offset + 3] != after[offset:offset + 3]:
                xs.append(x)
                ys.append(y)
    if xs:
        print(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


def notifications(log):
    import dbus
    import dbus.service
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    name = "org.freedesktop.Notifications"

    class Server(dbus.service.Object):
        count = 0

        @dbus.service.method(name, in_signature="susssasa{sv}i", out_signature="u")
        def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
            with open(log, "a", encoding="utf-8") as out:
                out.write(f"notify {summary}\n")
            Server.count += 1
            return Server.count

        @dbus.service.method(name, in_signature="", out_signature="as")
        def GetCapabilities(self):
            return ["body"]

        @dbus.service.method(name, in_signature="", out_signature="ssss")
        def GetServerInformation(self):
            return ["desktop-matrix", "ostrel", "1", "1.2"]

        @dbus.service.method(name, in_signature="u", out_signature="")
        def CloseNotification(self, identifier):
            pass

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    kept = [Server(bus, "/org/freedesktop/Notifications"), dbus.service.BusName(name, bus)]
    with open(log, "a", encoding="utf-8") as out:
        out.write("ready\n")
    GLib.MainLoop().run()
    return kept


def sway_window(path):
    with open(path, encoding="utf-8") as tree:
        root = json.load(tree)

    def walk(node, floating):
        if node.get("name") == "Ostrel" and node.get("pid"):
            rect = node["rect"]
            print("floating" if floating else "tiled", rect["x"], rect["y"], rect["width"], rect["height"])
            return True
        for child in node.get("nodes", []):
            if walk(child, False):
                return True
        return any(walk(child, True) for child in node.get("floating_nodes", []))

    walk(root, False)


def wayland_click(x, y, button, width, height):
    import os
    import socket
    import struct
    import time

    path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"])
    conn = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    conn.connect(path)

    def send(obj, opcode, *args):
        body = b""
        for arg in args:
            if isinstance(arg, str):
                data = arg.encode() + b"\0"
                body += struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)
            else:
                body += struct.pack("=I", arg)
        conn.sendall(struct.pack("=II", obj, (8 + len(body)) << 16 | opcode) + body)

    def roundtrip(callback):
        # wl_display.sync: events up to its callback's "done" are all in.
        send(1, 0, callback)
        events, buffer = [], b""
        while True:
            buffer += conn.recv(65536)
            while len(buffer) >= 8:
                obj, word = struct.unpack("=II", buffer[:8])
                size = word >> 16
                if len(buffer) < size:
                    break
                events.append((obj, word & 0xFFFF, buffer[8:size]))
                buffer = buffer[size:]
                if obj == callback:
                    return events

    send(1, 1, 2)  # wl_display.get_registry -> 2
    manager = None
    for obj, opcode, body in roundtrip(3):
        if obj == 2 and opcode == 0:
            name, length = struct.unpack("=II", body[:8])
            if body[8:8 + length - 1] == b"zwlr_virtual_pointer_manager_v1":
                manager = name
    if manager is None:
        sys.exit("the compositor offers no virtual pointer")
    send(2, 0, manager, "zwlr_virtual_pointer_manager_v1", 1, 4)  # wl_registry.bind -> 4
    send(4, 0, 0, 5)  # create_virtual_pointer(default seat) -> 5
    stamp = int(time.monotonic() * 1000) & 0xFFFFFFFF
    send(5, 1, stamp, x, y, width, height)  # motion_absolute
    send(5, 4)  # frame
    roundtrip(6)
    code = {1: 0x110, 2: 0x112, 3: 0x111}[button]
    for state in (1, 0):
        time.sleep(0.05)
        send(5, 2, stamp + 50, code, state)  # button
        send(5, 4)
    roundtrip(7)
    send(5, 8)  # destroy
    roundtrip(8)


def main(argv):
    if argv[:1] == ["marks"] and len(argv) == 6:
        marks(argv[1], *map(int, argv[2:]))
    elif argv[:1] == ["changed"] and len(argv) == 5:
        changed(argv[1], argv[2], int(argv[3]), int(argv[4]))
    elif argv[:2] == ["notifications", "--log"] and len(argv) == 3:
        notifications(argv[2])
    elif argv[:1] == ["wayland-click"] and len(argv) == 6:
        wayland_click(*map(int, argv[1:]))
    elif argv[:1] == ["sway-window"] and len(argv) == 2:
        sway_window(argv[1])
    else:
        sys.exit("usage: see the comment at the top of desktop_probe.py")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
