"""The add-on's preferences, operators, Object menu entry and sidebar panel."""

import bpy

from . import host, material_import, transport, wire


class GessoriaLinkPreferences(bpy.types.AddonPreferences):
    bl_idname = __package__

    program_path: bpy.props.StringProperty(
        name="Gessoria program",
        description="The program started when Gessoria is not running (empty: gessoria on the PATH)",
        subtype="FILE_PATH",
        default="",
    )

    def draw(self, _context):
        self.layout.prop(self, "program_path")


def _selected_meshes(context):
    return [obj for obj in context.selected_objects if obj.type == "MESH"]


class OBJECT_OT_send_to_gessoria(bpy.types.Operator):
    """Send the selected meshes with their materials and images to Gessoria for painting"""

    bl_idname = "object.send_to_gessoria"
    bl_label = "Send to Gessoria"
    bl_options = {"REGISTER"}

    @classmethod
    def poll(cls, context):
        return context.mode == "OBJECT" and bool(_selected_meshes(context)) and not host.busy()

    def execute(self, context):
        try:
            notes = host.send_objects(context, _selected_meshes(context))
        except (transport.LinkError, wire.BlockError) as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        for note in notes:
            self.report({"WARNING"}, note)
        self.report({"INFO"}, "Sending to Gessoria")
        return {"FINISHED"}


class OBJECT_OT_gessoria_disconnect(bpy.types.Operator):
    """Close the link to Gessoria"""

    bl_idname = "object.gessoria_disconnect"
    bl_label = "Disconnect from Gessoria"

    def execute(self, _context):
        host.disconnect()
        return {"FINISHED"}


class VIEW3D_PT_gessoria_link(bpy.types.Panel):
    bl_label = "Gessoria"
    bl_space_type = "VIEW_3D"
    bl_region_type = "UI"
    bl_category = "Gessoria"

    def draw(self, context):
        layout = self.layout
        layout.operator(OBJECT_OT_send_to_gessoria.bl_idname, icon="BRUSH_DATA")
        layout.label(text=host.status())
        for level, text in host.messages()[-3:]:
            layout.label(text=text, icon="ERROR" if level == "ERROR" else "INFO")
        layout.operator(OBJECT_OT_gessoria_disconnect.bl_idname, icon="UNLINKED")


def _menu_entry(self, _context):
    self.layout.separator()
    self.layout.operator(OBJECT_OT_send_to_gessoria.bl_idname, icon="BRUSH_DATA")


_classes = (GessoriaLinkPreferences, OBJECT_OT_send_to_gessoria, OBJECT_OT_gessoria_disconnect,
            VIEW3D_PT_gessoria_link)


def register():
    for cls in _classes:
        bpy.utils.register_class(cls)
    bpy.types.VIEW3D_MT_object.append(_menu_entry)
    bpy.app.handlers.save_pre.append(material_import.pack_written_images)


def unregister():
    host.disconnect()
    if material_import.pack_written_images in bpy.app.handlers.save_pre:
        bpy.app.handlers.save_pre.remove(material_import.pack_written_images)
    bpy.types.VIEW3D_MT_object.remove(_menu_entry)
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
