#pragma once

#include <QString>

// The fixed texts of the brief help and of the About message.
namespace output {

inline const QString HelpTitle = QStringLiteral("Краткая справка!");
inline const QString AboutTitle = QStringLiteral("О программе");

// The brief help: thirteen lines joined by CR LF, no line end after the last.
QString helpText();

// The About text: the program, its purpose, version and licence, and where
// to turn with questions. Lines joined by CR LF.
QString aboutText();

} // namespace output
