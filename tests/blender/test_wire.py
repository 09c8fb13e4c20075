"""The add-on's wire module against the block layout, read and written here field by field
at the layout's own offsets (not through the module's tables). Plain python3."""

import os
import struct
import sys
import unittest
from array import array

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "blender"))

from gessoria_link import wire  # noqa: E402


def ints(values):
    return array("i", values)


def floats(values):
    return array("f", values)


def shorts(values):
    return array("h", values)


def two_object_scene():
    """A quad (two faces) and a triangle; material 1 with a 2 x 3 colour map and a 3 x 1
    opacity map, material 2 without maps; the triangle has no material."""
    arrays = {
        "x": floats([0, 1, 1, 0, 5, 6, 5]), "y": floats([0, 0, 1, 1, 5, 5, 6]), "z": floats([0, 0, 0, 0, 2, 2, 2.5]),
        "u0": ints([0, 65536, 98304]), "v0": ints([0, 65536, -32768]),
        "u1": ints([65536, 0, 147456]), "v1": ints([0, 65536, 16384]),
        "u2": ints([65536, 0, 114688]), "v2": ints([65536, 0, 32768]),
        "nx": floats([0, 0, 0.5]), "ny": floats([0, 0, -0.5]), "nz": floats([1, 1, 0.70710678]),
        "a": ints([0, 0, 4]), "b": ints([1, 2, 5]), "c": ints([2, 3, 6]),
        "flags": shorts([6, 3, 7]), "smoothing": ints([1, 1, 0]), "material": shorts([1, 2, 0]),
    }
    colour = wire.MapImage(2, 3, 24, bytes(range(18)), "skin.png")
    opacity = wire.MapImage(3, 1, 8, bytes([10, 20, 30]), "a_very_long_image_name.png")
    materials = [wire.HostMaterial("Skin", 0x112233, {"colour": colour, "opacity": opacity}),
                 wire.HostMaterial("Materialnamelongerthan18", 0xFFEEDD)]
    objects = [wire.HostObject("Quad", 4, 2, 0, 0), wire.HostObject("Triangle-with-a-long-name", 3, 1, 2, 4, 2)]
    return wire.HostScene(objects, materials, 7, 3, arrays)


def written(scene, base):
    block = bytearray(wire.scene_block_size(scene))
    wire.write_scene_block(block, base, scene)
    return block


class MessageTest(unittest.TestCase):
    def test_messages_are_24_little_endian_bytes_and_others_are_refused(self):
        data = wire.pack_message(wire.MAX_MESH, 0x1122334455667788, -2)
        self.assertEqual(len(data), 24)
        self.assertEqual(struct.unpack("<IIqq", data), (3, 0, 0x1122334455667788, -2))
        self.assertEqual(wire.unpack_message(struct.pack("<IIqq", 2, 0, 7, 1)), (2, 7, 1))
        with self.assertRaises(wire.BlockError):
            wire.unpack_message(data[:23])
        with self.assertRaises(wire.BlockError):
            wire.unpack_message(struct.pack("<IIqq", 9, 0, 0, 0))


class SceneBlockTest(unittest.TestCase):
    BASE = 0x20000000

    def setUp(self):
        self.scene = two_object_scene()
        self.block = written(self.scene, self.BASE)

    def field(self, fmt, offset):
        return struct.unpack_from(fmt, self.block, offset)[0]

    def array_at(self, header_offset, fmt, count):
        offset = self.field("<I", header_offset) - self.BASE
        self.assertLessEqual(offset + struct.calcsize(fmt) * count, len(self.block))
        return list(struct.unpack_from("<%d%s" % (count, fmt), self.block, offset))

    def test_header_counts_and_every_array_follow_the_layout(self):
        self.assertEqual(struct.unpack_from("<4i", self.block, 0), (2, 7, 3, 2))
        self.assertEqual(self.field("<I", 16), self.BASE + 168)
        self.assertEqual(self.field("<I", 20), self.BASE + 168 + 2 * 36)
        for offset, name in ((48, "x"), (52, "y"), (56, "z"), (60, "nx"), (64, "ny"), (68, "nz")):
            self.assertEqual(self.array_at(offset, "f", 7 if offset < 60 else 3), list(self.scene.arrays[name]), name)
        for offset, name in ((24, "u0"), (28, "v0"), (32, "u1"), (36, "v1"), (40, "u2"), (44, "v2"),
                             (72, "a"), (76, "b"), (80, "c"), (124, "smoothing")):
            self.assertEqual(self.array_at(offset, "i", 3), list(self.scene.arrays[name]), name)
        self.assertEqual(self.array_at(120, "h", 3), [6, 3, 7])
        self.assertEqual(self.array_at(128, "h", 3), [1, 2, 0])
        for offset in range(84, 120, 4):  # reserved arrays: relocatable addresses inside the block
            self.assertLess(self.field("<I", offset) - self.BASE, len(self.block))
        self.assertEqual(self.block[132:168], bytes(36))

    def test_object_records_hold_counts_firsts_name_and_flags(self):
        first = 168
        self.assertEqual(struct.unpack_from("<4i", self.block, first), (4, 2, 0, 0))
        self.assertEqual(self.block[first + 16:first + 32], b"Quad".ljust(16, b"\0"))
        second = first + 36
        self.assertEqual(struct.unpack_from("<4i", self.block, second), (3, 1, 2, 4))
        self.assertEqual(self.block[second + 16:second + 32], b"Triangle-with-a\0")
        self.assertEqual(self.block[second + 34], 2)

    def test_material_records_describe_present_maps_and_clear_absent_ones(self):
        record = self.field("<I", 20) - self.BASE
        self.assertEqual(self.block[record:record + 18], b"Skin".ljust(18, b"\0"))
        self.assertEqual(self.field("<i", record + 20), 0x112233)
        colour = record + 32
        self.assertEqual(self.block[colour:colour + 14], b"skin.png".ljust(14, b"\0"))
        self.assertEqual(self.block[colour + 40], 1)
        pixels, height, width, bits = struct.unpack_from("<Iiii", self.block, colour + 44)
        self.assertEqual((height, width, bits), (3, 2, 24))
        self.assertEqual(self.block[pixels - self.BASE:pixels - self.BASE + 18], bytes(range(18)))
        opacity = record + 92
        self.assertEqual(self.block[opacity:opacity + 14], b"a_very_long_i\0")
        pixels, height, width, bits = struct.unpack_from("<Iiii", self.block, opacity + 44)
        self.assertEqual((height, width, bits), (1, 3, 8))
        self.assertEqual(self.block[pixels - self.BASE:pixels - self.BASE + 3], bytes([10, 20, 30]))
        for absent in (152, 212, 272):
            self.assertEqual(self.block[record + absent:record + absent + 60], bytes(60))
        second = record + 336
        self.assertEqual(self.block[second:second + 18], b"Materialnamelonge\0")
        self.assertEqual(self.field("<i", second + 20), 0xFFEEDD)
        self.assertEqual(self.block[second + 32:second + 336], bytes(304))

    def test_another_base_changes_only_the_references(self):
        other = written(self.scene, 0x00010000)
        delta = self.BASE - 0x00010000
        relocated = bytearray(other)
        refs = list(range(16, 132, 4))
        record = 168 + 2 * 36
        refs += [record + d + 44 for d in (32, 92)]
        for offset in refs:
            struct.pack_into("<I", relocated, offset, struct.unpack_from("<I", other, offset)[0] + delta)
        self.assertEqual(relocated, self.block)

    def test_a_scene_that_does_not_fit_is_refused(self):
        with self.assertRaises(wire.BlockError):
            written(self.scene, (1 << 32) - 64)
        self.scene.arrays["b"] = ints([1, 2])
        with self.assertRaises(wire.BlockError):
            written(self.scene, self.BASE)
        scene = two_object_scene()
        scene.materials[0].maps["colour"].pixels = bytes(17)
        with self.assertRaises(wire.BlockError):
            written(scene, self.BASE)


def materials_block(base, prefix=b"", overwrite=1):
    """A block as the program sends it, written from the layout: two materials, the first
    with a 2 x 2 colour map and a 2 x 2 shininess map, the second without paint layers."""
    block = bytearray(168 + 2 * 336 + 12 + 4)
    struct.pack_into("<i", block, 12, 2)
    struct.pack_into("<I", block, 20, (base + 168) % (1 << 32))
    block[132] = overwrite
    block[133:133 + len(prefix)] = prefix
    first = 168
    block[first + 332] = 1
    colour = first + 32
    block[colour + 40] = 1
    struct.pack_into("<Iiii", block, colour + 44, (base + 840) % (1 << 32), 2, 2, 24)
    block[840:852] = bytes(range(100, 112))
    shininess = first + 212
    block[shininess + 40] = 1
    struct.pack_into("<Iiii", block, shininess + 44, (base + 852) % (1 << 32), 2, 2, 8)
    block[852:856] = bytes([1, 2, 3, 4])
    return block


class MaterialsBlockTest(unittest.TestCase):
    def test_a_block_from_the_program_is_read_with_its_options_and_maps(self):
        returned = wire.decode_materials_block(materials_block(0x30000000, b"New_"), 0x30000000)
        self.assertTrue(returned.overwrite)
        self.assertEqual(returned.prefix, "New_")
        self.assertEqual(len(returned.materials), 2)
        first, second = returned.materials
        self.assertTrue(first.has_layers)
        self.assertEqual(sorted(first.maps), ["colour", "shininess"])
        colour = first.maps["colour"]
        self.assertEqual((colour.width, colour.height, colour.bits), (2, 2, 24))
        self.assertEqual(bytes(colour.pixels), bytes(range(100, 112)))
        shininess = first.maps["shininess"]
        self.assertEqual((shininess.bits, bytes(shininess.pixels)), (8, bytes([1, 2, 3, 4])))
        self.assertFalse(second.has_layers)
        self.assertEqual(second.maps, {})

    def test_references_are_relocated_from_any_base_and_a_full_prefix_has_no_end_zero(self):
        prefix = b"P" * 32
        for base in (0, 0x00400000, 0x7FFF0000, 0xFFFFFE00):  # the last one wraps past 2**32
            returned = wire.decode_materials_block(materials_block(base, prefix, 0), base)
            self.assertFalse(returned.overwrite)
            self.assertEqual(returned.prefix, "P" * 32)
            self.assertEqual(bytes(returned.materials[0].maps["colour"].pixels), bytes(range(100, 112)), hex(base))

    def assertRefused(self, block, base=0x30000000):
        with self.assertRaises(wire.BlockError) as caught:
            wire.decode_materials_block(block, base)
        self.assertTrue(str(caught.exception))

    def test_hostile_blocks_are_refused(self):
        base = 0x30000000
        self.assertRefused(materials_block(base)[:167])
        negative = materials_block(base)
        struct.pack_into("<i", negative, 12, -1)
        self.assertRefused(negative)
        too_many = materials_block(base)
        struct.pack_into("<i", too_many, 12, 3)
        self.assertRefused(too_many)
        huge = materials_block(base)
        struct.pack_into("<i", huge, 12, 0x7FFFFFFF)
        self.assertRefused(huge)
        records_past_end = materials_block(base)
        struct.pack_into("<I", records_past_end, 20, base + 200)
        self.assertRefused(records_past_end)
        pixels_past_end = materials_block(base)
        struct.pack_into("<I", pixels_past_end, 168 + 32 + 44, base + 850)
        self.assertRefused(pixels_past_end)
        giant_map = materials_block(base)
        struct.pack_into("<ii", giant_map, 168 + 212 + 48, 0x7FFFFFFF, 0x7FFFFFFF)
        self.assertRefused(giant_map)
        no_rows = materials_block(base)
        struct.pack_into("<i", no_rows, 168 + 32 + 48, -2)
        self.assertRefused(no_rows)
        self.assertRefused(materials_block(base), base + 0x1000)  # the wrong writer's base


if __name__ == "__main__":
    unittest.main()
