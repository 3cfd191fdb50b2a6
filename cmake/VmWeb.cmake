# The browser build: the game compiled to WebAssembly with Debian's emscripten, against SDL2, zlib
# and Dear ImGui built from Debian's sources by scripts/web-libs.sh (VM_WEB_LIBS, its prefix).
# VM_WEB_NODE builds the headless variant that runs under node on real files.
set(VM_WEB_LIBS "" CACHE PATH "Prefix of SDL2, zlib and Dear ImGui built for WebAssembly")
set(VM_WEB_ICON "" CACHE FILEPATH "The game's icon (a PNG), the page's icon")
option(VM_WEB_NODE "Build the headless variant for node instead of the page" OFF)
option(VM_WEB_ASYNCIFY "Hand control to the browser through ASYNCIFY instead of a main-loop callback" OFF)
if(NOT EXISTS "${VM_WEB_LIBS}/lib/libSDL2.a")
  message(FATAL_ERROR "VM_WEB_LIBS must name the prefix written by scripts/web-libs.sh")
endif()

# SDL2's headers come through a plain -I, ahead of emscripten's own SDL 1 headers.
add_library(SDL2::SDL2 STATIC IMPORTED)
set_target_properties(SDL2::SDL2 PROPERTIES IMPORTED_LOCATION "${VM_WEB_LIBS}/lib/libSDL2.a")
target_compile_options(SDL2::SDL2 INTERFACE "-I${VM_WEB_LIBS}/include/SDL2")
add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION "${VM_WEB_LIBS}/lib/libz.a")
target_compile_options(ZLIB::ZLIB INTERFACE "-I${VM_WEB_LIBS}/include")
# OpenGL is emscripten's library (the page), or no library at all (node: platform/web stubs).
add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(Threads::Threads INTERFACE IMPORTED)

if(NOT VM_WEB_NODE)
  # Dear ImGui with its SDL2 and OpenGL 2 back ends, as Debian's libimgui.a holds them.
  file(GLOB vm_imgui_sources ${VM_WEB_LIBS}/imgui/*.cpp ${VM_WEB_LIBS}/imgui/backends/*.cpp)
  add_library(vm_imgui STATIC ${vm_imgui_sources})
  target_include_directories(vm_imgui PUBLIC ${VM_WEB_LIBS}/imgui)
  target_compile_options(vm_imgui PRIVATE -w)
  target_link_libraries(vm_imgui PUBLIC SDL2::SDL2)
endif()

# Flags of the final link, set on the game's executable by vm_web_executable().
set(VM_WEB_LINK_FLAGS -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sEXIT_RUNTIME=1)
if(VM_WEB_NODE)
  list(APPEND VM_WEB_LINK_FLAGS -sENVIRONMENT=node -sNODERAWFS=1
       "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/platform/web/plat_node_pre.js")
else()
  list(APPEND VM_WEB_LINK_FLAGS -sENVIRONMENT=web -sLEGACY_GL_EMULATION=1 -sFORCE_FILESYSTEM=1 -lidbfs.js
       "-sEXPORTED_RUNTIME_METHODS=['FS','callMain']"
       # SDL 2.26's audio calls two library functions that this emscripten only links when asked.
       "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${PROJECT_SOURCE_DIR}/platform/web/plat_page_library.json"
       "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/platform/web/plat_page_pre.js")
  if(VM_WEB_ASYNCIFY)
    # The frame loop's wait for the next animation frame is the one import that unwinds.
    list(APPEND VM_WEB_LINK_FLAGS -sASYNCIFY=1 "-sASYNCIFY_IMPORTS=@${PROJECT_SOURCE_DIR}/platform/web/plat_asyncify_imports.json")
  endif()
endif()

# The page's folder: the script, the wasm, the data and the page with its icon.
function(vm_web_executable target data_dir)
  target_link_options(${target} PRIVATE ${VM_WEB_LINK_FLAGS})
  if(VM_WEB_NODE)
    set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${VM_WEB_OUT}/node
                          LINK_DEPENDS ${PROJECT_SOURCE_DIR}/platform/web/plat_node_pre.js)
    return()
  endif()
  target_link_options(${target} PRIVATE "SHELL:--preload-file ${data_dir}/resource.dat@/game/resource.dat"
                      "SHELL:--preload-file ${data_dir}/Default.ini@/game/Default.ini")
  set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${VM_WEB_OUT}
                        LINK_DEPENDS "${data_dir}/resource.dat;${data_dir}/Default.ini;${PROJECT_SOURCE_DIR}/platform/web/plat_page_pre.js;${PROJECT_SOURCE_DIR}/platform/web/plat_page_library.json")
  add_custom_command(OUTPUT ${VM_WEB_OUT}/index.html ${VM_WEB_OUT}/icon.png
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/platform/web/index.html ${VM_WEB_OUT}/index.html
    COMMAND ${CMAKE_COMMAND} -E copy ${VM_WEB_ICON} ${VM_WEB_OUT}/icon.png
    DEPENDS ${PROJECT_SOURCE_DIR}/platform/web/index.html ${VM_WEB_ICON})
  add_custom_target(web_page ALL DEPENDS ${target} ${VM_WEB_OUT}/index.html ${VM_WEB_OUT}/icon.png)
endfunction()
