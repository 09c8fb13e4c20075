#pragma once
// Command: every command of the main frame, one identifier each. The command table makes
// one QAction per command; menus, tool bars and the view's right-button menu share them.

namespace gessoria::app {

enum class Command {
    // File
    Open, Save, SaveAs, ExportMaps, ExportModel, Print, PrintView, RenderLevel, MapPaths, PointerShape, PressureSensitivity, BeepOnWarn,
    SpaceWarePrefs, UndoPrefs, Exit,
    // Edit
    Undo, UndoSingle, Redo, Cut, Copy, Paste, DropFloater, Clear,
    // View
    FileToolbar, PositionToolbar, ControlPanel, StatusBar, InfoWindow, ColourPicker, IgnoreWarning, WarningWindow,
    ViewBookmarks, LayersWindow, ObjectsWindow, Applicators, Pigments,
    // Tools: positioning and lights
    ZoomExtents, Rotate, ZoomDynamic, ZoomWindow, Pan, LockPositionTools, LightLock, LightToFront, MoveLights,
    LightingControls, RedrawScreen, Benchmark,
    // Tools: painting
    BrushTool, FillTool, LineTool, TexturePaintTool, TextTool, SamplerTool, EraserTool, SelectionTool, MaxOut,
    BrushSettings, PaintSettings,
    // Help
    HelpTopics, WhatsThis, About, TipOfTheDay, PaintingWizard, KeyboardShortcuts,
    // Keys without a menu entry
    RotateLeft, RotateRight, RotateUp, RotateDown, RotateZLeft, RotateZRight, NextPane, PreviousPane, FlipHorizontal,
    ShrinkBrush, GrowBrush, SwapColours,
    Count
};

} // namespace gessoria::app
