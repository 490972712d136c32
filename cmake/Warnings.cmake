# Common compile options for every target of the project.
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE -Wall -Wextra)
if(IMPORTARCOT_WERROR)
  target_compile_options(project_options INTERFACE -Werror)
endif()
if(IMPORTARCOT_SANITIZE)
  target_compile_options(project_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# One static library per source folder; sources are picked up by pattern so that a
# new file needs no edit here.
function(importarcot_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC project_options)
endfunction()
