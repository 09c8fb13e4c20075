"""The bytes of the Gessoria link: its 24-byte messages and its named shared block.

Pure Python with no import of Blender, so it runs (and is tested) under a plain python3.

A block's 32-bit references are addresses in its writer's space: the writer picks a base
address B for its mapping and stores B + offset; it passes B with the message that hands
the block over. The reader turns a reference into an offset by subtracting the writer's
base (modulo 2**32, as the writer's 32-bit arithmetic wraps) and checks every offset and
every count against the size of the block before it touches the bytes behind it.
"""

import struct
from dataclasses import dataclass, field

MAX_CALLING = 1  # host -> program: wParam is the host's window handle
REPLYING = 2  # program -> host: lParam 0 answers MaxCalling, 1 scene taken, 2 materials sent
MAX_MESH = 3  # host -> program: wParam != 0 hands over a scene, wParam 0 acknowledges materials

REPLY_CALLED = 0
REPLY_SCENE_TAKEN = 1
REPLY_MATERIALS = 2

MESSAGE = struct.Struct("<IIqq")
MESSAGE_SIZE = MESSAGE.size  # 24

BLOCK_NAME = "/GessoriaMMF_MaxMesh"

HEADER_SIZE = 168
OBJECT_RECORD_SIZE = 36
MATERIAL_RECORD_SIZE = 336
DESCRIPTOR_SIZE = 60

OBJECT_NAME_SIZE = 16
MATERIAL_NAME_SIZE = 18
MAP_NAME_SIZE = 14
PREFIX_SIZE = 32

# The five map descriptors of a material record, in their order in the record.
MAP_TYPES = ("colour", "opacity", "bump", "shininess", "selfillum")
DESCRIPTOR_OFFSETS = dict(zip(MAP_TYPES, (32, 92, 152, 212, 272)))
HAS_LAYERS_OFFSET = 332

# Header offsets of the per-vertex and per-face arrays.
VERTEX_ARRAYS = (("x", 48), ("y", 52), ("z", 56))
FACE_ARRAYS = (
    ("u0", 24, 4), ("v0", 28, 4), ("u1", 32, 4), ("v1", 36, 4), ("u2", 40, 4), ("v2", 44, 4),
    ("nx", 60, 4), ("ny", 64, 4), ("nz", 68, 4),
    ("a", 72, 4), ("b", 76, 4), ("c", 80, 4),
    ("smoothing", 124, 4),
    ("flags", 120, 2), ("material", 128, 2),
)
RESERVED_REFS = tuple(range(84, 120, 4))  # nine arrays the program relocates but never reads

ADDRESS_SPACE = 1 << 32


class BlockError(ValueError):
    """A block or message that does not follow the layout; the text says what is wrong."""


def pack_message(kind, wparam, lparam):
    return MESSAGE.pack(kind, 0, wparam, lparam)


def unpack_message(data):
    """(kind, wParam, lParam) of one 24-byte message; refuses any other size or kind."""
    if len(data) != MESSAGE_SIZE:
        raise BlockError(f"a link message has {MESSAGE_SIZE} bytes, not {len(data)}")
    kind, _, wparam, lparam = MESSAGE.unpack(data)
    if kind not in (MAX_CALLING, REPLYING, MAX_MESH):
        raise BlockError(f"unknown link message {kind}")
    return kind, wparam, lparam


def fixed_text(text, size):
    """text as UTF-8 in a field of size bytes: cut at a whole character so that a zero byte
    always ends it, and padded with zero bytes."""
    data = text.encode("utf-8")[: size - 1]
    while data:
        try:
            data.decode("utf-8")
            break
        except UnicodeDecodeError:
            data = data[:-1]
    return data.ljust(size, b"\0")


def read_text(data):
    """The text of a fixed-size field: up to its first zero byte (or all of it)."""
    data = bytes(data)
    end = data.find(b"\0")
    return (data if end < 0 else data[:end]).decode("utf-8", errors="replace")


@dataclass
class MapImage:
    """One map as the block carries it: rows top row first, each exactly width pixels of
    3 bytes (blue, green, red) when bits is 24, else of 1 grey byte; no row padding."""

    width: int
    height: int
    bits: int
    pixels: object  # a bytes-like object of width * height * (3 or 1) bytes
    name: str = ""

    @property
    def bytes_per_pixel(self):
        return 3 if self.bits == 24 else 1

    @property
    def size(self):
        return self.width * self.height * self.bytes_per_pixel


@dataclass
class HostObject:
    name: str
    vertex_count: int
    face_count: int
    first_face: int
    first_vertex: int
    flags: int = 0


@dataclass
class HostMaterial:
    name: str
    diffuse: int  # 0x00RRGGBB
    maps: dict = field(default_factory=dict)  # map type -> MapImage


@dataclass
class HostScene:
    """A scene for the block. arrays maps each name of VERTEX_ARRAYS and FACE_ARRAYS to a
    bytes-like object of little-endian values: float32 for x, y, z, nx, ny, nz; int32 for
    the 16.16 texture coordinates, the corner vertex indices and the smoothing groups;
    int16 for the face flags and the material numbers (1..len(materials), 0 for none)."""

    objects: list
    materials: list
    vertex_count: int
    face_count: int
    arrays: dict


def _align4(n):
    return (n + 3) & ~3


def _scene_layout(scene):
    """Offsets of every array and map of the block, and the block's size."""
    offset = HEADER_SIZE + OBJECT_RECORD_SIZE * len(scene.objects) + MATERIAL_RECORD_SIZE * len(scene.materials)
    offsets = {}
    for name, _ in VERTEX_ARRAYS:
        offsets[name] = offset
        offset += 4 * scene.vertex_count
    for name, _, width in FACE_ARRAYS:
        offsets[name] = offset
        offset = _align4(offset + width * scene.face_count)
    maps = []
    for material in scene.materials:
        for map_type in MAP_TYPES:
            image = material.maps.get(map_type)
            if image is not None:
                maps.append(offset)
                offset = _align4(offset + image.size)
    return offsets, maps, offset


def scene_block_size(scene):
    return _scene_layout(scene)[2]


def _check_scene(scene):
    if scene.vertex_count < 0 or scene.face_count < 0:
        raise BlockError("negative vertex or face count")
    for name, _ in VERTEX_ARRAYS:
        if len(memoryview(scene.arrays[name]).cast("B")) != 4 * scene.vertex_count:
            raise BlockError(f"array {name} does not hold {scene.vertex_count} values")
    for name, _, width in FACE_ARRAYS:
        if len(memoryview(scene.arrays[name]).cast("B")) != width * scene.face_count:
            raise BlockError(f"array {name} does not hold {scene.face_count} values")
    for material in scene.materials:
        for map_type, image in material.maps.items():
            if map_type not in MAP_TYPES:
                raise BlockError(f"unknown map type {map_type}")
            if image.width <= 0 or image.height <= 0:
                raise BlockError(f"map {image.name!r} has no pixels")
            if len(memoryview(image.pixels).cast("B")) != image.size:
                raise BlockError(f"map {image.name!r} does not hold {image.width} x {image.height} pixels")


def write_scene_block(buffer, base, scene):
    """Writes scene into buffer (at least scene_block_size bytes, zero-filled) as a block
    whose references are base + offset."""
    _check_scene(scene)
    offsets, map_offsets, size = _scene_layout(scene)
    if not 0 < base or base + size > ADDRESS_SPACE:
        raise BlockError("the block does not fit in 32-bit addresses above its base")
    if len(buffer) < size:
        raise BlockError("the buffer is smaller than the block")
    objects_at = HEADER_SIZE
    materials_at = objects_at + OBJECT_RECORD_SIZE * len(scene.objects)
    struct.pack_into("<iiiiII", buffer, 0, len(scene.objects), scene.vertex_count, scene.face_count,
                     len(scene.materials), base + objects_at, base + materials_at)
    for name, at in VERTEX_ARRAYS:
        struct.pack_into("<I", buffer, at, base + offsets[name])
    for name, at, _ in FACE_ARRAYS:
        struct.pack_into("<I", buffer, at, base + offsets[name])
    for at in RESERVED_REFS:
        struct.pack_into("<I", buffer, at, base)
    for i, obj in enumerate(scene.objects):
        record = objects_at + OBJECT_RECORD_SIZE * i
        struct.pack_into("<iiii", buffer, record, obj.vertex_count, obj.face_count, obj.first_face, obj.first_vertex)
        buffer[record + 16: record + 32] = fixed_text(obj.name, OBJECT_NAME_SIZE)
        buffer[record + 34] = obj.flags & 0xFF
    for name, _ in VERTEX_ARRAYS:
        data = memoryview(scene.arrays[name]).cast("B")
        buffer[offsets[name]: offsets[name] + len(data)] = data
    for name, _, _ in FACE_ARRAYS:
        data = memoryview(scene.arrays[name]).cast("B")
        buffer[offsets[name]: offsets[name] + len(data)] = data
    next_map = iter(map_offsets)
    for i, material in enumerate(scene.materials):
        record = materials_at + MATERIAL_RECORD_SIZE * i
        buffer[record: record + MATERIAL_NAME_SIZE] = fixed_text(material.name, MATERIAL_NAME_SIZE)
        struct.pack_into("<i", buffer, record + 20, material.diffuse & 0xFFFFFF)
        for map_type in MAP_TYPES:
            image = material.maps.get(map_type)
            if image is None:
                continue
            at = next(next_map)
            descriptor = record + DESCRIPTOR_OFFSETS[map_type]
            buffer[descriptor: descriptor + MAP_NAME_SIZE] = fixed_text(image.name, MAP_NAME_SIZE)
            buffer[descriptor + 40] = 1
            struct.pack_into("<Iiii", buffer, descriptor + 44, base + at, image.height, image.width, image.bits)
            data = memoryview(image.pixels).cast("B")
            buffer[at: at + len(data)] = data
    return size


@dataclass
class ReturnedMaterial:
    has_layers: bool
    maps: dict  # map type -> MapImage (pixels: a memoryview into the block)


@dataclass
class ReturnedMaterials:
    overwrite: bool
    prefix: str
    materials: list  # material 1..count of the scene, in order


def decode_materials_block(block, writer_base):
    """Reads the block of materials the program sends back. block is the whole mapped block
    (a bytes-like object), writer_base the address the program gave with its message.
    Raises BlockError for a block whose counts or references do not fit inside it."""
    view = memoryview(block).cast("B")
    size = len(view)
    if size < HEADER_SIZE:
        raise BlockError(f"the block has {size} bytes, fewer than its {HEADER_SIZE}-byte header")
    (count,) = struct.unpack_from("<i", view, 12)
    (materials_ref,) = struct.unpack_from("<I", view, 20)
    if count < 0:
        raise BlockError(f"the block says it holds {count} materials")
    materials_at = (materials_ref - writer_base) % ADDRESS_SPACE
    if materials_at + MATERIAL_RECORD_SIZE * count > size:
        raise BlockError(f"{count} material records at offset {materials_at} run past the end of the "
                         f"{size}-byte block")
    overwrite = view[132] != 0
    prefix = read_text(view[133: 133 + PREFIX_SIZE])
    materials = []
    for i in range(count):
        record = materials_at + MATERIAL_RECORD_SIZE * i
        maps = {}
        for map_type in MAP_TYPES:
            descriptor = record + DESCRIPTOR_OFFSETS[map_type]
            if view[descriptor + 40] == 0:
                continue
            ref, height, width, bits = struct.unpack_from("<Iiii", view, descriptor + 44)
            if width <= 0 or height <= 0:
                raise BlockError(f"material {i + 1}: the {map_type} map is {width} x {height} pixels")
            image = MapImage(width, height, 24 if bits == 24 else 8, None,
                             read_text(view[descriptor: descriptor + MAP_NAME_SIZE]))
            at = (ref - writer_base) % ADDRESS_SPACE
            if at + image.size > size:
                raise BlockError(f"material {i + 1}: the {map_type} map's {image.size} bytes at offset {at} "
                                 f"run past the end of the {size}-byte block")
            image.pixels = view[at: at + image.size]
            maps[map_type] = image
        materials.append(ReturnedMaterial(view[record + HAS_LAYERS_OFFSET] != 0, maps))
    return ReturnedMaterials(overwrite, prefix, materials)
