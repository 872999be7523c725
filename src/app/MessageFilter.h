#pragma once

// Drops the one harmless warning a shown window gives on the offscreen platform ("This plugin
// does not support propagateSizeHints()") and passes every other message on.
void InstallMessageFilter();
