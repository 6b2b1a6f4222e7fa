// The seed writer of the notes file.
#pragma once

#include <QString>

class XmlDocument;

// Starts a new document in XMLDoc holding the seed day node "Date2000-01-01"
// with its one note, and saves it to Path. The document keeps the seed
// afterwards, with no file name of its own. Failures are thrown (XmlError).
void CreateNotesFile(XmlDocument& XMLDoc, const QString& Path);
