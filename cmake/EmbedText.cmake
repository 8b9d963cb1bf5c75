# cmake -DINPUT=FILE -DOUTPUT=FILE -DNAME=IDENTIFIER -P EmbedText.cmake
# Writes OUTPUT as a C++ fragment defining `constexpr char NAME[]` with the
# bytes of INPUT, so that text kept in its own file (the page's script and
# styles) is built into a command.
file(READ ${INPUT} content)
string(FIND "${content}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw string's closing delimiter")
endif()
file(WRITE ${OUTPUT}.tmp
  "// Made from ${INPUT} by cmake/EmbedText.cmake.\n"
  "constexpr char ${NAME}[] = R\"embedded(${content})embedded\";\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
