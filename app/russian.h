#pragma once

class QCoreApplication;

// Loads Qt's own Russian texts (context menus of the text boxes and combos,
// standard dialog buttons), so that every text the user sees is Russian.
// The command line takes them too (the headings of its help). Returns
// false when the translation file is not installed.
bool installRussianTexts(QCoreApplication &application);
