"""Gessoria Link: sends Blender's selected meshes to the Gessoria texture painter and
writes the maps painted there back into the materials' images."""

bl_info = {
    "name": "Gessoria Link",
    "author": "Gessoria developers",
    "version": (0, 1, 0),
    "blender": (3, 4, 0),
    "location": "Object > Send to Gessoria; 3D View > Sidebar > Gessoria",
    "description": "Paint the selected meshes in Gessoria and get the painted maps back",
    "category": "Paint",
}

try:
    import bpy
except ImportError:  # a plain Python: only the modules that do not need Blender are usable
    bpy = None

if bpy is not None:
    if "addon" in locals():
        import importlib

        for _module in (wire, transport, session, pixels, materials, scene_export,  # noqa: F821
                        material_import, host, addon):  # noqa: F821
            importlib.reload(_module)
    from . import addon, host, material_import, materials, pixels, scene_export, session, transport, wire

    def register():
        addon.register()

    def unregister():
        addon.unregister()
