#pragma once

class QApplication;

// Loads Qt's own Russian texts (context menus of the text boxes and combos,
// standard dialog buttons), so that every text the user sees is Russian.
// Returns false when the translation file is not installed.
bool installRussianTexts(QApplication &application);
