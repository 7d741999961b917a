// Texts for the engine's result codes, before the conversion from the OEM to the ANSI character set.
#pragma once
#include <cstdint>
#include <string>

// The table's text for code; codes 200 to 250 not in it read "Internal error no: <code>", others
// "Undefined errorcode".
std::string EngineErrorTextOem(std::int32_t code);
