#pragma once
// One byte at a time between Windows-1251 and code page 866, for the code checks that work
// on fixed buffers and must not build a string per code. Same mapping as text/CodePages.
namespace codes::detail {

char ansiToOemByte(char c);
char oemToAnsiByte(char c);

}  // namespace codes::detail
