# Sources of the Markdown parser library.
set(TOVIK_MARKDOWN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/blocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/html.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inlines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_scan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tree.cpp
)
