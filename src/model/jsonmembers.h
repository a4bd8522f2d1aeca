#pragma once

#include <QByteArray>
#include <QString>

// Checks on the raw text of a JSON document that a parsed QJsonDocument cannot make: its
// objects keep only the last of two members with the same name, so a second "layers": []
// would silently empty a profile.
namespace JsonMembers {

// Finds the first member name that occurs twice in one object of a document that parses as
// JSON. True when there is one: `place` is the path of that object in the form the profile
// reader names places ("layers[1].keys[3]"; empty for the top level), `name` the member's
// name as decoded, `offset` the byte offset of its second occurrence. Text that is not JSON
// gives no finding, never a read outside `json`.
bool firstDuplicate(const QByteArray &json, QString *place, QString *name, int *offset);

} // namespace JsonMembers
