#pragma once
// Lets a long job inside a command keep the program answering: runs the event loop once, but
// at most every 50 ms, so a quiet job over many thousands of items does not pay for a pass of
// the event loop per item while a click on Cancel still gets through.
namespace core {

void yieldForInput();

} // namespace core
