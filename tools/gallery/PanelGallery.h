#pragma once

class GallerySink;

// The control panel in both views, disconnected and connected to a simulated camera.
void renderMainDialog(GallerySink &sink);
void renderPresetRenameDialog(GallerySink &sink);
