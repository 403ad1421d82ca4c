// The program's numbered texts (ids 400-662).
#pragma once

namespace kestrel {

// The text of a message id; "" for an id the table does not hold.
const char* MessageText(int id);

}  // namespace kestrel
