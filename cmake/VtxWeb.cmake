# The patch editor's page: our own files from web/, and the graph library from the npm
# packages scripts/install-deps.sh installs (web/package-lock.json pins them). They are
# copied into <build>/web, where vtxhost serve finds them beside itself, and installed
# under <prefix>/share/vtx/web. Nothing is fetched when the page is used.
set(VTX_WEB_SOURCES ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/editor.js
  ${CMAKE_SOURCE_DIR}/web/editor.css)
set(VTX_WEB_LIBRARY ${CMAKE_SOURCE_DIR}/web/node_modules/drawflow/dist/drawflow.min.js
  ${CMAKE_SOURCE_DIR}/web/node_modules/drawflow/dist/drawflow.min.css)
foreach(file IN LISTS VTX_WEB_LIBRARY)
  if(NOT EXISTS ${file})
    message(WARNING "${file} is missing: run scripts/install-deps.sh (npm ci in web/) for vtxhost serve's page")
    list(REMOVE_ITEM VTX_WEB_LIBRARY ${file})
  endif()
endforeach()
set(VTX_WEB_OUTPUTS)
foreach(file IN LISTS VTX_WEB_SOURCES VTX_WEB_LIBRARY)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/web/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${CMAKE_BINARY_DIR}/web/${name}
    DEPENDS ${file} VERBATIM)
  list(APPEND VTX_WEB_OUTPUTS ${CMAKE_BINARY_DIR}/web/${name})
endforeach()
add_custom_target(vtx_web ALL DEPENDS ${VTX_WEB_OUTPUTS})
install(FILES ${VTX_WEB_OUTPUTS} DESTINATION ${VTX_INSTALL_WEB_DIR})
