#!/usr/bin/env python3
"""Writes the hand-made fuzz inputs: valid seeds into fuzz/seeds/<target>/
and damaged files into fuzz/regressions/<target>/.

A file's name says what its loader must do with it: ok_* loads, no_* is
refused (for WAV files: by the sound loader, which also refuses a file
without one whole frame of samples that the reader itself takes). The files are kept in the repository; run this again only to change
them on purpose (inputs found by fuzzing are added by hand, named the same
way). Each target's replay test and tests/loader_refusal_test.cpp read them.
"""

import os
import struct

root = os.path.dirname(os.path.abspath(__file__))


def write(kind, target, name, data):
    folder = os.path.join(root, kind, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


def seed(target, name, data):
    write("seeds", target, "ok_" + name, data)


def refused(target, name, data):
    write("regressions", target, "no_" + name, data)


def loads(target, name, data):
    write("regressions", target, "ok_" + name, data)


# --- BMP -------------------------------------------------------------------

def bmp(width, height, bits, pixels=None, compression=0, info_size=40,
        palette=None, rows=None, magic=b"BM", header_bytes=40, gap=b""):
    """A BMP file; rows (bytes of the stored rows) default to a pattern.
    header_bytes is the info header actually written (its first 40 bytes the
    usual fields, the rest zero); gap lies between the colour table and the
    rows, and the data offset field says where the rows start."""
    start = 14 + header_bytes + (1024 if bits == 8 else 0) + len(gap)
    if rows is None:
        row = ((abs(width) * bits + 31) // 32) * 4 if 0 < abs(width) <= 4096 and bits > 0 else 0
        count = abs(height) if 0 < abs(height) <= 4096 else 0
        rows = bytes((i * 7 + 3) & 255 for i in range(row * count))
    head = magic + struct.pack("<IHHI", start + len(rows), 0, 0, start)
    head += struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits,
                        compression, len(rows), 0, 0, 0, 0)
    head += bytes(header_bytes - 40)
    if bits == 8:
        if palette is None:
            palette = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(256))
        head += palette
    return head + gap + rows


valid = {bits: bmp(5, 3, bits) for bits in (8, 16, 24, 32)}
for bits, data in valid.items():
    seed("bmp", "%dbit_5x3.bmp" % bits, data)
seed("bmp", "24bit_1x1.bmp", bmp(1, 1, 24))
seed("bmp", "8bit_4x4.bmp", bmp(4, 4, 8))
# A team sheet: indices 212..215 among others.
team_rows = bytes([212, 213, 214, 215, 0, 1, 2, 3] * 4)
seed("team_bmp", "team_8x4.bmp", bmp(8, 4, 8, rows=team_rows))
seed("team_bmp", "team_6x2.bmp", bmp(6, 2, 8, rows=bytes([212, 215, 100, 213, 214, 9, 0, 0] * 2)))
seed("palette", "palette_1x1.bmp", bmp(1, 1, 8))
seed("bmp_size", "size_26_bytes.bmp", bmp(7, 9, 24)[:26])

for name, w, h in [("width_0", 0, 3), ("height_0", 5, 0), ("width_minus_1", -1, 3),
                   ("height_minus_1", 5, -1), ("height_min_int", 5, -2**31),
                   ("width_min_int", -2**31, 3), ("width_max_int", 2**31 - 1, 3),
                   ("height_max_int", 5, 2**31 - 1), ("width_4097", 4097, 1),
                   ("height_4097", 1, 4097), ("top_down_5x3", 5, -3)]:
    for bits in (8, 24):
        refused("bmp", "%s_%dbit.bmp" % (name, bits), bmp(w, h, bits))
# Row sizes that overflow 32 bits: width x bytes per pixel is 2^32 or more.
refused("bmp", "row_size_overflow_32bit.bmp", bmp(0x40000000, 1, 32, rows=b"\0" * 64))
refused("bmp", "row_size_overflow_24bit.bmp", bmp(0x55555556, 1, 24, rows=b"\0" * 64))
refused("bmp", "row_size_overflow_16bit.bmp", bmp(0x7FFFFFFF, 2, 16, rows=b"\0" * 64))
refused("bmp", "size_overflow_4096x4096x32.bmp", bmp(4096, 4096, 32, rows=b"\0" * 64))
for bits in (0, 1, 2, 4, 5, 7, 15, 48, 64, 65535):
    refused("bmp", "bits_%d.bmp" % bits, bmp(5, 3, bits, rows=bytes(64)))
for compression in (1, 2, 3, 0xFFFFFFFF):
    refused("bmp", "compression_%d.bmp" % compression, bmp(5, 3, 8, compression=compression))
refused("bmp", "magic_bm_lower.bmp", bmp(5, 3, 24, magic=b"bm"))
refused("bmp", "empty.bmp", b"")
refused("bmp", "one_byte.bmp", b"B")
refused("bmp", "magic_only.bmp", b"BM")
refused("bmp", "header_25_bytes.bmp", valid[24][:25])
refused("bmp", "header_53_bytes.bmp", valid[24][:53])
refused("bmp", "8bit_header_only.bmp", valid[8][:54])
refused("bmp", "8bit_colour_table_cut.bmp", valid[8][:1000])
refused("bmp", "8bit_no_rows.bmp", valid[8][:1078])
for bits in (8, 16, 24, 32):
    refused("bmp", "%dbit_last_byte_missing.bmp" % bits, valid[bits][:-1])
    refused("bmp", "%dbit_half_the_rows.bmp" % bits, valid[bits][:len(valid[bits]) - 6])
# Rows without their padding: 5 pixels of 24 bits are 15 bytes, stored as 16.
refused("bmp", "24bit_rows_unpadded.bmp", bmp(5, 3, 24, rows=bytes(15 * 3)))
refused("bmp", "8bit_rows_unpadded.bmp", bmp(5, 3, 8, rows=bytes(5 * 3)))
# Header sizes: a size outside 40..124 is read as the 40-byte layout; the
# OS/2 core header (12 bytes, 16-bit fields) is refused; a 40-byte layout
# whose size field says 124 has its pixels inside the header it claims.
refused("bmp", "info_header_12.bmp", bmp(5, 3, 24, info_size=12))
refused("bmp", "os2_core_header_5x3.bmp",
        b"BM" + struct.pack("<IHHIIHHHH", 26 + 48, 0, 0, 26, 12, 5, 3, 1, 24) + bytes(48))
refused("bmp", "info_header_124_pixels_inside_it.bmp", bmp(5, 3, 24, info_size=124))
loads("bmp", "info_header_0xffffffff.bmp", bmp(5, 3, 24, info_size=0xFFFFFFFF))
# The pixels where the data offset says: a whole 124-byte header (the colour
# table after it at 8 bits), or a gap after the headers.
for bits in (8, 24):
    loads("bmp", "info_header_124_%dbit.bmp" % bits, bmp(5, 3, bits, info_size=124, header_bytes=124))
    loads("bmp", "gap_before_pixels_%dbit.bmp" % bits, bmp(5, 3, bits, gap=b"\xAB" * 100))
# Data offsets that cannot hold: inside the headers or the colour table,
# past the end, or leaving too few bytes for the rows.
for bits, offset, name in [(24, 0, "0"), (24, 53, "53"), (8, 1077, "1077"), (8, 54, "54"),
                           (24, 0xFFFFFFFF, "0xffffffff"), (24, 56, "56")]:
    data = bytearray(valid[bits])
    data[10:14] = struct.pack("<I", offset)
    refused("bmp", "%dbit_data_offset_%s.bmp" % (bits, name), data)
loads("bmp", "trailing_bytes.bmp", valid[24] + b"\xAB" * 100)
# One corrupted header byte: each of the 54 header bytes of a valid file set
# to 0xFF in turn. The loader takes some of them (a size field it does not
# read) and refuses others; which is which the name says.
for at in range(54):
    for bits in (8, 24):
        data = bytearray(valid[bits])
        data[at] = 0xFF
        fatal = at in (0, 1) or 10 <= at <= 13 or 18 <= at <= 25 or 28 <= at <= 33
        (refused if fatal else loads)("bmp", "%dbit_header_byte_%02d_ff.bmp" % (bits, at), data)
# 8-bit files with a 1-colour table (the data offset says 58): the loader
# reads 256 colours, so the pixel rows it expects are not all there.
short_table = bmp(5, 3, 8, palette=bytes(4) * 256)
refused("bmp", "8bit_table_of_one_colour.bmp", short_table[:54] + bytes(4) + short_table[1078:])
# A team sheet must be 8-bit.
for bits in (16, 24, 32):
    refused("team_bmp", "team_%dbit.bmp" % bits, valid[bits])
refused("palette", "palette_1077_bytes.bmp", valid[8][:1077])
refused("palette", "palette_empty.bmp", b"")
loads("palette", "palette_1078_bytes.bmp", valid[8][:1078])
refused("bmp_size", "size_25_bytes.bmp", valid[24][:25])
loads("bmp_size", "size_negative.bmp", bmp(-5, -2**31, 24)[:26])

# --- WAV -------------------------------------------------------------------

def chunk(tag, body, size=None):
    data = tag + struct.pack("<I", len(body) if size is None else size) + body
    return data + (b"\0" if len(body) % 2 and size is None else b"")


def fmt(channels=1, rate=22050, bits=16, align=None, tag=1, extra=b""):
    if align is None:
        align = channels * bits // 8
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra


def wav(*chunks, riff_size=None):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if riff_size is None else riff_size) + body


samples16 = struct.pack("<8h", 0, 1000, -1000, 32767, -32768, 5, -5, 0)
seed("wave", "16bit_mono.wav", wav(chunk(b"fmt ", fmt()), chunk(b"data", samples16)))
seed("wave", "16bit_stereo.wav", wav(chunk(b"fmt ", fmt(2)), chunk(b"data", samples16)))
seed("wave", "8bit_mono.wav", wav(chunk(b"fmt ", fmt(1, 11025, 8)), chunk(b"data", bytes(range(0, 256, 8)))))
seed("wave", "8bit_stereo.wav", wav(chunk(b"fmt ", fmt(2, 8000, 8)), chunk(b"data", bytes(range(32)))))
seed("wave", "list_chunk_first.wav", wav(chunk(b"LIST", b"INFOabc"), chunk(b"fmt ", fmt()),
                                           chunk(b"data", samples16)))
seed("wave", "fmt_18_bytes.wav", wav(chunk(b"fmt ", fmt(extra=b"\0\0")), chunk(b"data", samples16)))
pcm_guid = bytes([1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
extensible = fmt(2, 44100, 16, tag=0xFFFE, extra=struct.pack("<HHI", 22, 16, 3) + pcm_guid)
seed("wave", "extensible_pcm.wav", wav(chunk(b"fmt ", extensible), chunk(b"data", samples16)))

good = wav(chunk(b"fmt ", fmt()), chunk(b"data", samples16))
refused("wave", "36_bytes.wav", good[:36])
refused("wave", "empty.wav", b"")
refused("wave", "11_bytes.wav", good[:11])
refused("wave", "riff_wave_only.wav", good[:12])
refused("wave", "fmt_header_only.wav", good[:20])
refused("wave", "rifx.wav", b"RIFX" + good[4:])
refused("wave", "not_wave.wav", good[:8] + b"AVI " + good[12:])
refused("wave", "fmt_14_bytes.wav", wav(chunk(b"fmt ", fmt()[:14]), chunk(b"data", samples16)))
refused("wave", "fmt_0_bytes.wav", wav(chunk(b"fmt ", b""), chunk(b"data", samples16)))
refused("wave", "fmt_size_past_end.wav", wav(chunk(b"fmt ", fmt(), size=0xFFFFFFFF)))
refused("wave", "fmt_cut_in_the_middle.wav", good[:28])
refused("wave", "data_before_fmt.wav", wav(chunk(b"data", samples16), chunk(b"fmt ", fmt())))
refused("wave", "no_data_chunk.wav", wav(chunk(b"fmt ", fmt())))
refused("wave", "no_fmt_chunk.wav", wav(chunk(b"LIST", b"abcd")))
refused("wave", "chunk_size_max_before_data.wav",
        wav(chunk(b"fmt ", fmt()), chunk(b"junk", b"", size=0xFFFFFFFF), chunk(b"data", samples16)))
refused("wave", "block_align_0.wav", wav(chunk(b"fmt ", fmt(align=0)), chunk(b"data", samples16)))
refused("wave", "channels_0.wav", wav(chunk(b"fmt ", fmt(channels=0, align=2)), chunk(b"data", samples16)))
refused("wave", "bits_0.wav", wav(chunk(b"fmt ", fmt(bits=0, align=2)), chunk(b"data", samples16)))
refused("wave", "rate_0.wav", wav(chunk(b"fmt ", fmt(rate=0)), chunk(b"data", samples16)))
refused("wave", "channels_3.wav", wav(chunk(b"fmt ", fmt(channels=3)), chunk(b"data", samples16)))
refused("wave", "channels_65535.wav", wav(chunk(b"fmt ", fmt(channels=65535, align=65535 * 2 & 0xFFFF)),
                                          chunk(b"data", samples16)))
refused("wave", "bits_24.wav", wav(chunk(b"fmt ", fmt(bits=24)), chunk(b"data", samples16)))
refused("wave", "bits_65535.wav", wav(chunk(b"fmt ", fmt(bits=65535, align=1)), chunk(b"data", samples16)))
refused("wave", "block_align_wrong.wav", wav(chunk(b"fmt ", fmt(2, align=2)), chunk(b"data", samples16)))
refused("wave", "float_samples.wav", wav(chunk(b"fmt ", fmt(bits=16, tag=3)), chunk(b"data", samples16)))
refused("wave", "extensible_not_pcm.wav",
        wav(chunk(b"fmt ", extensible[:24] + bytes([3]) + extensible[25:]), chunk(b"data", samples16)))
refused("wave", "extensible_cut.wav", wav(chunk(b"fmt ", extensible[:30], size=40)))
refused("wave", "data_size_0.wav", wav(chunk(b"fmt ", fmt()), chunk(b"data", b"")))
refused("wave", "data_one_byte_of_16bit.wav", wav(chunk(b"fmt ", fmt()), chunk(b"data", b"\x01")))
refused("wave", "data_size_max_nothing_there.wav", wav(chunk(b"fmt ", fmt()), chunk(b"data", b"", size=0xFFFFFFFF)))
# The loader takes what the file holds and whole frames of it.
loads("wave", "data_size_max.wav", wav(chunk(b"fmt ", fmt()), chunk(b"data", samples16, size=0xFFFFFFFF)))
loads("wave", "data_size_one_past_file.wav",
      wav(chunk(b"fmt ", fmt()), chunk(b"data", samples16, size=len(samples16) + 1)))
loads("wave", "data_size_not_whole_frames.wav",
      wav(chunk(b"fmt ", fmt(2)), chunk(b"data", samples16[:7])))
loads("wave", "riff_size_wrong.wav", wav(chunk(b"fmt ", fmt()), chunk(b"data", samples16), riff_size=3))
loads("wave", "canonical_44_byte_header.wav", good)

# --- Map -------------------------------------------------------------------

def unit_record(active=1, race=0, team=1, cell=(0, 0), direction=0, **fields):
    values = [active, race, team, 1, 4, 600, 600, 35, 60, 4, 8, direction,
              cell[0], cell[1], cell[0] * 32 & 0xFFFF, cell[1] * 32 & 0xFFFF]
    for index, value in fields.items():
        values[int(index[1:])] = value
    return struct.pack("<16H", *values)


def map_file(width, height, terrain=None, objects=None, units=(), count=None):
    cells = width * height
    terrain = terrain or [(4, 4, 32 * (i % 4), 0) for i in range(cells)]
    objects = objects or [(0, 0, 0)] * cells
    data = struct.pack("<HH", width, height)
    data += b"".join(struct.pack("<4H", *t) for t in terrain)
    data += b"".join(struct.pack("<3H", *o) for o in objects)
    data += struct.pack("<H", len(units) if count is None else count)
    return data + b"".join(units)


seed("map", "1x1_no_units.map", map_file(1, 1))
seed("map", "1x1_hero_not_placed.map", map_file(1, 1, units=[unit_record(0, 0, 0, direction=0)]))
objects4 = [(0, 0, 0)] * 16
objects4[0] = (1, 1, 0)
objects4[5] = (1, 2, 0)
objects4[10] = (3, 2, 150)
objects4[15] = (4, 12, 309)
seed("map", "4x4_hero_footman_tree_rock.map",
     map_file(4, 4, terrain=[(i % 7, (i + 1) % 7, 32 * (i % 4), 32 * (i % 5)) for i in range(16)],
              objects=objects4,
              units=[unit_record(cell=(0, 0)), unit_record(1, 1, 5, cell=(1, 1), direction=7)]))
seed("map", "32x16_water_and_grass.map",
     map_file(32, 16, terrain=[((i // 32) % 2, (i // 32) % 2, 96, 128) for i in range(512)]))
# The largest unit count: 399 slots on a 20x20 map, each unit on its own
# cell, the hero in team 1 and the others in the seven other teams.
other_teams = [0, 2, 3, 4, 5, 6, 7]
objects20 = [(0, 0, 0)] * 400
units399 = []
for slot in range(1, 400):
    x, y = (slot - 1) % 20, (slot - 1) // 20
    objects20[y * 20 + x] = (1, slot, 0)
    units399.append(unit_record(team=1 if slot == 1 else other_teams[slot % 7], race=slot % 2,
                                cell=(x, y)))
loads("map", "399_units.map", map_file(20, 20, objects=objects20, units=units399))
# 399 slots on the one cell of a 1x1 map: the units contradict each other.
refused("map", "399_units_on_one_cell.map", map_file(1, 1, units=[unit_record(cell=(0, 0))] * 399))
loads("map", "every_unchecked_field_max.map",
      map_file(1, 1, objects=[(1, 1, 65535)],
               units=[unit_record(1, 1, 1, (0, 0), 7, f3=65535, f4=65535, f5=65535, f6=65535,
                                  f7=65535, f8=65535, f9=65535, f10=65535)]))
loads("map", "inactive_unit_off_the_map.map", map_file(2, 2, units=[unit_record(0, cell=(65535, 65535))]))


# Maps that contradict themselves: a 4x4 map with the hero at (0, 0), a
# footman (slot 2, team 5) at (1, 1), a grunt (slot 3, team 2) at (2, 2) and
# a tree at (3, 3), changed in one way each. The game cannot run them (a
# hero swinging at a unit that is not there, a victory that never shows),
# so the loader refuses them.
def scene(change=None, count=None):
    objects = [(0, 0, 0)] * 16
    objects[0] = (1, 1, 0)
    objects[5] = (1, 2, 0)
    objects[10] = (1, 3, 0)
    objects[15] = (3, 2, 150)
    units = [dict(active=1, race=0, team=1, cell=(0, 0)),
             dict(active=1, race=1, team=5, cell=(1, 1), direction=3),
             dict(active=1, race=0, team=2, cell=(2, 2), direction=6)]
    if change:
        change(objects, units)
    records = [unit_record(**u) for u in units]
    return map_file(4, 4, objects=objects, units=records, count=count)


def cell(x, y, value):
    def change(objects, units):
        objects[y * 4 + x] = value
    return change


def unit(slot, **fields):
    def change(objects, units):
        units[slot - 1].update(fields)
    return change


def both(*changes):
    def change(objects, units):
        for c in changes:
            c(objects, units)
    return change


seed("map", "4x4_hero_footman_grunt_tree.map", scene())
for name, change, count in [
        ("cell_names_an_empty_slot", unit(3, active=0), None),
        ("cell_names_a_slot_not_stored", cell(3, 0, (1, 7, 0)), None),
        ("cell_names_the_hero_no_unit_stored", lambda o, u: u.clear(), 0),
        ("cell_names_a_unit_standing_elsewhere", both(cell(1, 1, (0, 0, 0)), cell(3, 0, (1, 2, 0))), None),
        ("two_cells_name_one_unit", cell(1, 2, (1, 2, 0)), None),
        ("two_units_on_one_cell", both(unit(3, cell=(1, 1)), cell(2, 2, (0, 0, 0))), None),
        ("unit_on_an_empty_cell", cell(1, 1, (0, 0, 0)), None),
        ("unit_under_a_tree", cell(2, 2, (3, 4, 200)), None),
        ("unit_under_another_units_cell", both(cell(2, 2, (0, 0, 0)), cell(1, 1, (1, 3, 0))), None),
        ("pixel_x_not_32_times_cell", unit(2, f14=33), None),
        ("pixel_y_not_32_times_cell", unit(3, f15=0), None),
        ("second_unit_in_the_heros_team", unit(3, team=1), None),
        ("hero_outside_team_1", unit(1, team=4), None),
        ("active_2", unit(2, active=2), None),
        ("active_65535", unit(1, active=65535), None)]:
    refused("map", "contradiction_%s.map" % name, scene(change, count))
# Layouts a map file may have: an empty slot inside the count (the loader
# closes it up, so that the count of units can still reach 1) and the
# hero's slot kept empty (a map saved before the hero was placed).
loads("map", "empty_slot_inside_the_count.map",
      scene(both(unit(2, active=0), cell(1, 1, (0, 0, 0)))))
loads("map", "empty_slot_with_old_fields.map",
      scene(both(unit(2, active=0, f14=999), cell(1, 1, (0, 0, 0)))))
loads("map", "hero_slot_empty.map", scene(both(unit(1, active=0), cell(0, 0, (0, 0, 0)))))
refused("map", "empty.map", b"")
refused("map", "5_bytes.map", b"\1\0\1\0\0")
refused("map", "width_0.map", map_file(1, 1)[:0] + struct.pack("<HH", 0, 1) + map_file(1, 1)[4:])
refused("map", "height_0.map", struct.pack("<HH", 1, 0) + map_file(1, 1)[4:])
refused("map", "width_65535.map", struct.pack("<HH", 65535, 1) + map_file(1, 1)[4:])
refused("map", "both_65535.map", struct.pack("<HH", 65535, 65535) + bytes(64))
refused("map", "width_129.map", map_file(129, 1))
refused("map", "height_129.map", map_file(1, 129))
refused("map", "128x128_cut_short.map", map_file(128, 128)[:200000])
refused("map", "unit_count_65535.map", map_file(1, 1, count=65535))
refused("map", "unit_count_400.map", map_file(1, 1, units=[unit_record()] * 400))
refused("map", "unit_count_2_one_record.map", map_file(1, 1, units=[unit_record()], count=2))
refused("map", "one_byte_too_many.map", map_file(1, 1, units=[unit_record()]) + b"\0")
refused("map", "one_byte_too_few.map", map_file(1, 1, units=[unit_record()])[:-1])
for field, value, name in [(0, 65535, "kind_65535"), (0, 7, "kind_7"), (1, 65535, "tile_set_65535"),
                           (2, 65535, "tile_x_65535"), (2, 128, "tile_x_128"), (2, 33, "tile_x_33"),
                           (3, 65535, "tile_y_65535"), (3, 160, "tile_y_160")]:
    cell = [4, 4, 0, 0]
    cell[field] = value
    refused("map", "terrain_%s.map" % name, map_file(1, 1, terrain=[tuple(cell)]))
for obj, name in [((65535, 0, 0), "kind_65535"), ((2, 0, 0), "kind_2"), ((1, 65535, 0), "unit_65535"),
                  ((1, 0, 0), "unit_0"), ((1, 400, 0), "unit_400"), ((3, 65535, 0), "tree_65535"),
                  ((3, 0, 0), "tree_0"), ((4, 16, 0), "rock_16")]:
    refused("map", "object_%s.map" % name, map_file(1, 1, objects=[obj]))
for fields, name in [(dict(race=65535), "race_65535"), (dict(race=2), "race_2"),
                     (dict(team=65535), "team_65535"), (dict(team=8), "team_8"),
                     (dict(direction=65535), "direction_65535"), (dict(direction=8), "direction_8"),
                     (dict(cell=(65535, 0)), "cell_x_65535"), (dict(cell=(0, 65535)), "cell_y_65535"),
                     (dict(cell=(2, 0)), "cell_x_2_of_2"), (dict(cell=(0, 2)), "cell_y_2_of_2")]:
    refused("map", "unit_%s.map" % name, map_file(2, 2, units=[unit_record(**fields)]))
everything_max = struct.pack("<HH", 65535, 65535) + b"\xff" * 300
refused("map", "everything_65535.map", everything_max)

# --- Frame, roll and sprite files ------------------------------------------

def frame(delay=3, ox=-10, oy=-20, x=64, y=0, w=32, h=48, short=False):
    return struct.pack("<B" if short else "<H", delay) + struct.pack("<iiHHHH", ox, oy, x, y, w, h)


def rolls(values=None):
    values = values or [0] * 1024
    return struct.pack("<1024H", *values)


def sprites(values=None):
    values = values if values is not None else [-1] * 64
    return struct.pack("<64i", *values)


def frames_file(count, short=False, records=None):
    body = records if records is not None else b"".join(frame(i, short=short) for i in range(count))
    return struct.pack("<H", count) + body


some_rolls = [((r * 16 + s) % 4) if s < 4 else 0 for r in range(64) for s in range(16)]
seed("frames", "empty.frm", frames_file(0))
seed("frames", "one_frame.frm", frames_file(1))
seed("frames", "three_frames.frm", frames_file(3))
seed("rolls", "empty.roll", frames_file(0) + rolls())
seed("rolls", "three_frames.roll", frames_file(3) + rolls(some_rolls))
seed("sprites", "empty.spr", frames_file(0, True) + rolls() + sprites())
seed("sprites", "three_frames.spr",
     frames_file(3, True) + rolls(some_rolls) + sprites([i % 65 - 1 for i in range(64)]))

extreme = frame(65535, -2**31, 2**31 - 1, 65535, 65535, 65535, 65535)
extreme_short = frame(255, -2**31, 2**31 - 1, 65535, 65535, 65535, 65535, short=True)
for target, ext, short, tail in [("frames", "frm", False, b""), ("rolls", "roll", False, rolls()),
                                 ("sprites", "spr", True, rolls() + sprites())]:
    record = extreme_short if short else extreme
    loads(target, "1023_frames.%s" % ext, frames_file(1023, records=record * 1023) + tail)
    loads(target, "every_frame_field_max.%s" % ext, frames_file(1, records=record) + tail)
    refused(target, "count_1024.%s" % ext, frames_file(1024, records=record * 1024) + tail)
    refused(target, "count_65535.%s" % ext, frames_file(65535, records=record * 4) + tail)
    refused(target, "empty.%s" % ext, b"")
    refused(target, "one_byte.%s" % ext, b"\1")
    refused(target, "count_2_one_record.%s" % ext, frames_file(2, records=record) + tail)
    refused(target, "one_byte_too_many.%s" % ext, frames_file(1, records=record) + tail + b"\0")
    refused(target, "one_byte_too_few.%s" % ext, (frames_file(1, records=record) + tail)[:-1])
for target, ext, short, tail in [("rolls", "roll", False, b""), ("sprites", "spr", True, sprites())]:
    for value in (1023, 1024, 65535):
        values = [0] * 1024
        values[1023] = value
        (loads if value <= 1023 else refused)(
            target, "roll_slot_%d.%s" % (value, ext), frames_file(0, short) + rolls(values) + tail)
for value in (63, -1, 64, -2, 2**31 - 1, -2**31):
    values = [-1] * 64
    values[63] = value
    (loads if -1 <= value <= 63 else refused)(
        "sprites", "sprite_entry_%d.spr" % value, frames_file(0, True) + rolls() + sprites(values))
# A roll file read as a frame file and the other way round: sizes disagree.
refused("frames", "roll_file.frm", frames_file(1) + rolls())
refused("rolls", "frame_file.roll", frames_file(1))
refused("sprites", "roll_file.spr", frames_file(1) + rolls())

# --- Glyph table -------------------------------------------------------------

def glyphs(records):
    table = [(0, 0, 0, 0)] * 256
    for c, record in records.items():
        table[c] = record
    return b"".join(struct.pack("<4i", *r) for r in table)


seed("glyphs", "all_zero.fn", glyphs({}))
seed("glyphs", "a_and_b.fn", glyphs({97: (0, 0, 5, 7), 98: (5, 0, 6, 7)}))
loads("glyphs", "every_field_max.fn", glyphs({c: (4095, 4095, 4096, 4096) for c in range(256)}))
refused("glyphs", "empty.fn", b"")
refused("glyphs", "4095_bytes.fn", glyphs({})[:-1])
refused("glyphs", "4097_bytes.fn", glyphs({}) + b"\0")
for field, value, name in [(0, -1, "x_minus_1"), (1, -1, "y_minus_1"), (2, -1, "width_minus_1"),
                           (3, -1, "height_minus_1"), (0, 4096, "x_4096"), (2, 4097, "width_4097"),
                           (2, 2**31 - 1, "width_max_int"), (3, -2**31, "height_min_int"),
                           (0, 2**31 - 1, "x_max_int")]:
    record = [0, 0, 5, 7]
    record[field] = value
    refused("glyphs", "%s.fn" % name, glyphs({255: tuple(record)}))
