# Installation and packages.
#
#     cmake --install <build> [--prefix <dir>]     lays Morl out like any desktop program
#     cd <build> && cpack                           Debian package (Linux) or ZIP (Windows)
#
# Everything that belongs to the program goes into the component "morl"; the packages
# take only that component, so no test or tool ever ends up in them.

include(GNUInstallDirs)

set(MORL_INSTALL_COMPONENT morl)

# On Windows the program folder is flat: morl.exe at its top, beside its license texts.
if(WIN32)
    set(MORL_INSTALL_BINDIR .)
else()
    set(MORL_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS morl
    RUNTIME DESTINATION ${MORL_INSTALL_BINDIR} COMPONENT ${MORL_INSTALL_COMPONENT}
    BUNDLE DESTINATION . COMPONENT ${MORL_INSTALL_COMPONENT})

# Freedesktop integration: the menu entry and the icon in the hicolor theme, under the
# name that the entry's Icon key gives.
if(UNIX AND NOT APPLE)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/morl.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT ${MORL_INSTALL_COMPONENT})
    foreach(size 16 32 256)
        install(FILES ${PROJECT_SOURCE_DIR}/icons/icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME morl.png
            COMPONENT ${MORL_INSTALL_COMPONENT})
    endforeach()
endif()

# Windows. With a shared Qt, the deployment script copies the Qt libraries and plugins
# that morl.exe needs next to it (Qt 6.5 renamed FILENAME_VARIABLE to OUTPUT_SCRIPT). A
# static Qt is inside morl.exe: its license texts go beside it, with a note that tells
# where to find the sources and how to build Morl again against another Qt.
get_target_property(morl_qt_core_type Qt6::Core TYPE)
if(WIN32 AND morl_qt_core_type STREQUAL "STATIC_LIBRARY")
    set(MORL_QT_LICENSES "" CACHE PATH "Folder of the license texts of the static Qt")
    if(MORL_QT_LICENSES)
        install(DIRECTORY ${MORL_QT_LICENSES}/ DESTINATION licenses/qt
            COMPONENT ${MORL_INSTALL_COMPONENT})
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/SOURCES.txt
        DESTINATION . COMPONENT ${MORL_INSTALL_COMPONENT})
elseif(WIN32 AND COMMAND qt_generate_deploy_app_script)
    if(Qt6_VERSION VERSION_GREATER_EQUAL 6.5)
        qt_generate_deploy_app_script(TARGET morl OUTPUT_SCRIPT morl_deploy_script
            NO_UNSUPPORTED_PLATFORM_ERROR)
    else()
        qt_generate_deploy_app_script(TARGET morl FILENAME_VARIABLE morl_deploy_script
            NO_UNSUPPORTED_PLATFORM_ERROR)
    endif()
    install(SCRIPT ${morl_deploy_script} COMPONENT ${MORL_INSTALL_COMPONENT})
endif()

# Package description shared by every generator.
set(CPACK_PACKAGE_NAME morl)
set(CPACK_PACKAGE_VENDOR "Morl")
set(CPACK_PACKAGE_CONTACT "Morl maintainers <morl@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Morl cherche un texte dans les fichiers texte d'un dossier et affiche chaque ligne trouvée avec son contexte.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Morl)
set(CPACK_STRIP_FILES ON)

# One package holding only the program's component.
set(CPACK_COMPONENTS_ALL ${MORL_INSTALL_COMPONENT})
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)

# Debian: the runtime dependencies (the Qt 6 libraries, libc, libstdc++) come from
# dpkg-shlibdeps, which reads them off the installed executable.
set(CPACK_DEBIAN_PACKAGE_NAME morl)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Morl maintainers <morl@example.org>")

if(WIN32)
    # The portable zip holds the program folder as it is; the installer is made by
    # makensis from packaging/windows/NSIS.template.in. Each gets its own file name.
    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_PACKAGE_FILE_NAME "Morl-${PROJECT_VERSION}-win64")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_PACKAGE_NAME_SHOWN Morl)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Morl)
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/icons/icon.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/icons/icon.ico)
    list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/cpackoptions.cmake)
    # The packed files take the source date: the installer stores their times.
    set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/windows/filetimes.cmake)
elseif(UNIX AND NOT APPLE)
    set(CPACK_GENERATOR DEB)
endif()

include(CPack)
