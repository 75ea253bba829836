# Warnings for every target of ours; -Werror when SPANLET_WERROR is on (CI and `make test`).
function(spanlet_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(SPANLET_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Qt targets: no implicit ASCII casts and no Qt keywords, so signals/slots are spelled Q_SIGNALS.
function(spanlet_qt_defaults target)
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_KEYWORDS)
    spanlet_warnings(${target})
endfunction()
