#pragma once
// Thrown by the resolution when the user skips the rest of a source table; it passes through
// the record loop and the conversion driver catches it to go on with the next table.
namespace Konvika {
class CcSkipSbornik {};
}  // namespace Konvika
