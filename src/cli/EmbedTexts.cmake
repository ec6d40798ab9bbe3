# Writes the English texts of the Settings folder into a source file, so
# plotcare-cli says what went wrong even where that folder is missing or
# lacks a text. Run as: cmake -DIN=Localize.ini -DOUT=file.cpp -P EmbedTexts.cmake
file(READ "${IN}" _texts)
if(_texts MATCHES "\\)ptext\"")
  message(FATAL_ERROR "${IN} holds the raw string's end marker")
endif()
file(WRITE "${OUT}.tmp"
  "// Written by EmbedTexts.cmake from settings/Localize.ini: edit that file.\n"
  "#include \"cli/CliEnglishTexts.h\"\n\n"
  "const char* const cli::kEnglishTexts = R\"ptext(${_texts})ptext\";\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
