"""Conversion between Blender's image pixels and the block's maps. Needs numpy, not Blender.

Blender hands an image's pixels out as floats, four channels (red, green, blue, alpha) per
pixel, the bottom row first; for an image held in bytes each float is byte / 255. The block
holds the top row first, 3 bytes (blue, green, red) per pixel for a 24-bit map or 1 grey
byte for an 8-bit map. Going back, byte / 255 written into a byte image is stored as the
same byte, so a map written here reads back exactly as Gessoria sent it.

A map target takes a map from the colour channels of an image or from its alpha channel,
and may be inverted (a roughness image carries 255 - shininess).
"""

import numpy as np

RGB = "rgb"
ALPHA = "alpha"


_BYTE_FLOATS = np.arange(256, dtype=np.float32) / np.float32(255.0)  # byte -> the float Blender keeps
_INVERTED_FLOATS = _BYTE_FLOATS[::-1].copy()


def to_bytes(floats):
    """Floats of 0..1 to bytes, rounding to the nearest."""
    return np.clip(np.rint(np.asarray(floats, dtype=np.float32) * 255.0), 0, 255).astype(np.uint8)


def grey(rgb):
    """One grey byte from red, green and blue bytes; exact for a grey pixel (r = g = b)."""
    r, g, b = (rgb[..., i].astype(np.uint32) for i in range(3))
    return ((r * 77 + g * 150 + b * 29 + 128) >> 8).astype(np.uint8)


def map_from_pixels(floats, width, height, bits, channel=RGB, invert=False):
    """The block's bytes of a map taken from an image's flat RGBA float pixels."""
    rgba = to_bytes(floats).reshape(height, width, 4)[::-1]
    if bits == 24:
        data = rgba[..., 2::-1]
    elif channel == ALPHA:
        data = rgba[..., 3]
    else:
        data = grey(rgba)
    if invert:
        data = 255 - data
    return np.ascontiguousarray(data)


def pixels_with_map(image, floats=None, channel=RGB, invert=False):
    """The flat RGBA float pixels of an image of the map's size after writing the map (a
    wire.MapImage) into it: a 24-bit map into red, green and blue, an 8-bit map into the
    three colours as grey or into alpha. Channels the map does not write keep their value
    from floats (the image's present pixels, overwritten), or are 1 (opaque) without them."""
    width, height = image.width, image.height
    if floats is None:
        rgba = np.ones((height, width, 4), dtype=np.float32)
    else:
        rgba = np.asarray(floats, dtype=np.float32).reshape(height, width, 4)  # written in place
    data = np.frombuffer(image.pixels, dtype=np.uint8)
    if image.bits == 24:
        data = data.reshape(height, width, 3)[::-1, :, ::-1]
    else:
        data = data.reshape(height, width)[::-1]
    values = (_INVERTED_FLOATS if invert else _BYTE_FLOATS)[data]
    if image.bits == 24:
        rgba[..., :3] = values
    elif channel == ALPHA:
        rgba[..., 3] = values
    else:
        rgba[..., :3] = values[..., None]
    return rgba.reshape(-1)
