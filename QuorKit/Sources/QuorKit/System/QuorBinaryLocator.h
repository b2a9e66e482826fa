#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QuorBundle;

// Finds a command-line tool's executable.
namespace QuorBinaryLocator {

// The path of the first of these that is an executable regular file: the bundle's resources + "/bin/"
// + name, the resources + "/" + name, each extra folder + "/" + name, then "/usr/local/bin",
// "/usr/bin", "/bin" and every non-empty piece of PATH, each + "/" + name. Nothing when none is. The
// name is appended unchanged, so "sub/tool" reaches into subfolders.
std::optional<QString> locate(const QString& name, const QuorBundle& bundle,
                              const QStringList& extraSearchDirectories);

} // namespace QuorBinaryLocator
