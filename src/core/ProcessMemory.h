#pragma once
// How the process's allocator keeps memory it is given back.
namespace core {

// Keeps blocks up to 16 MB on the heap and up to 32 MB of freed heap in the process instead of
// handing them to the system at each free. A view's key list, a play list's rows and the text
// of a file written from them are a few megabytes each, made and dropped at every sort, find or
// command: handed back each time, the next one faults every page in again, which costs more
// than the work itself on a million songs. The peak stays what it was; only memory already freed
// is kept, and it is taken again by the next such block. Call once, before anything allocates
// much.
void keepFreedMemory();

} // namespace core
