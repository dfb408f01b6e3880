# Metafile engine: recorder, writers, player (platform/emf). The file checks
# use libUEMF, which Debian ships without a pkg-config file.
file(GLOB PLATFORM_EMF_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/emf/*.cpp)
target_sources(toliva_platform PRIVATE ${PLATFORM_EMF_SOURCES})
find_library(UEMF_LIB uemf REQUIRED)
find_path(UEMF_INCLUDE_DIR uemf.h REQUIRED)
target_include_directories(toliva_platform SYSTEM PUBLIC ${UEMF_INCLUDE_DIR})
target_link_libraries(toliva_platform PUBLIC ${UEMF_LIB})
