"""The add-on's one link to Gessoria inside Blender, shared by the operator, the panel and
batch scripts.

In the interface a timer polls the link a few times a second, so Blender never waits for
Gessoria. In a background run (blender -b) timers never fire: send_objects then waits for
the program to take the scene, and wait_for_materials waits for maps to come back, each
with a time-out.
"""

import shutil
import subprocess

import bpy

from . import material_import, scene_export, session, transport

POLL_INTERVAL = 0.2


class _State:
    link = None
    launch_command = None
    material_names = []
    messages = []  # (level, text), newest last


def _report(level, text):
    _State.messages.append((level, text))
    del _State.messages[:-20]
    print(f"Gessoria link: {text}")
    if level == "ERROR" and not bpy.app.background:
        _show_error(text)


def _show_error(text):
    window_manager = bpy.context.window_manager
    if window_manager is None:
        return

    def draw(menu, _context):
        for line in text.split("\n"):
            menu.layout.label(text=line)

    window_manager.popup_menu(draw, title="Gessoria", icon="ERROR")


def _on_materials(returned):
    lines = material_import.apply_materials(returned, _State.material_names)
    for line in lines:  # every detail to the console; the panel has room for a summary
        print(f"Gessoria link: {line}")
    count = sum(len(material.maps) for material in returned.materials)
    _report("INFO", f"Received {count} map{'' if count == 1 else 's'}")
    for area in getattr(bpy.context.screen, "areas", ()):
        area.tag_redraw()


def program_command():
    """The command that starts Gessoria: the add-on preference, else gessoria on PATH."""
    if _State.launch_command:
        return list(_State.launch_command)
    addon = bpy.context.preferences.addons.get(__package__)
    path = addon.preferences.program_path if addon is not None else ""
    path = bpy.path.abspath(path) if path else shutil.which("gessoria")
    if not path:
        raise transport.LinkError("Gessoria is not running, and no program \"gessoria\" is on the PATH: "
                                  "set its path in the add-on's preferences")
    return [path]


def _launch():
    command = program_command()
    try:
        subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, start_new_session=True, close_fds=True)
    except OSError as error:
        raise transport.LinkError(f"Cannot start {command[0]}: {error.strerror}") from error


def link():
    if _State.link is None:
        _State.link = session.HostLink(launcher=_launch, on_materials=_on_materials, report=_report)
    return _State.link


def set_launch_command(command):
    """Starts Gessoria with this command (a list) when nobody listens; None restores the
    preference. For scripts and tests."""
    _State.launch_command = command


def messages():
    return list(_State.messages)


def _poll_timer():
    current = _State.link
    if current is None:
        return None
    try:
        current.poll()
    except Exception as error:  # a fault while writing images must not stop the timer
        _report("ERROR", f"Receiving from Gessoria failed: {error}")
    return POLL_INTERVAL if current.connection is not None or current.busy else None


def _ensure_timer():
    if not bpy.app.timers.is_registered(_poll_timer):
        bpy.app.timers.register(_poll_timer, first_interval=POLL_INTERVAL, persistent=True)


def send_objects(context, objects, timeout=60.0):
    """Hands the mesh objects to Gessoria. Returns notes on what was left out. Raises
    transport.LinkError when the hand-over cannot begin, or in a background run when it
    does not end within timeout seconds."""
    scene, names, notes = scene_export.collect_scene(context, objects)
    if not scene.objects:
        raise transport.LinkError("No mesh object is selected")
    current = link()
    current.send(scene)
    _State.material_names = names
    if bpy.app.background:
        failures = current.failures
        current.wait(lambda: not current.busy, timeout)
        if current.busy or current.failures != failures:
            reason = _State.messages[-1][1] if current.failures != failures else "time-out"
            current.close()
            raise transport.LinkError(f"The scene did not reach Gessoria ({reason})")
    else:
        _ensure_timer()
    return notes


def wait_for_materials(count, timeout):
    """Background runs: polls until count sets of maps have come back in all; True if so."""
    current = link()
    return current.wait(lambda: current.materials_received >= count, timeout)


def disconnect():
    if _State.link is not None:
        _State.link.close()
        _State.link = None
    if bpy.app.timers.is_registered(_poll_timer):
        bpy.app.timers.unregister(_poll_timer)


def busy():
    """True while a scene is on its way to Gessoria."""
    return _State.link is not None and _State.link.busy


def status():
    current = _State.link
    if current is None or current.connection is None and not current.busy:
        return "Not connected"
    return {session.STARTING: "Starting Gessoria...", session.CALLING: "Calling Gessoria...",
            session.HANDING: "Handing the scene over...", session.LINKED: "Linked: waiting for maps"}.get(
        current.state, current.state)
