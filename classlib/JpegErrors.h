// libjpeg's error handling as the decoder and the encoder share it. Internal to the JPEG
// image's files.
#pragma once

#include <cstdio>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace jpeg_internal {

constexpr const char* SJPEGError = "JPEG error #%d";

// libjpeg reports fatal errors by calling error_exit, which must not return.
// C++ exceptions cannot pass through the C library's frames, so error_exit
// jumps back to the one place below that called into it; that frame holds
// nothing that needs a destructor.
struct ErrorManager {
    jpeg_error_mgr pub;
    void* jump[5];
    int code;
};

inline void OnError(j_common_ptr c) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    e->code = c->err->msg_code;
    __builtin_longjmp(e->jump, 1);
}

// Warnings (a premature end of data, a damaged restart marker) leave a partial
// image, which is still shown.
inline void OnMessage(j_common_ptr, int) {}

inline void SetUpErrors(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.pub.output_message = [](j_common_ptr) {};
    err.code = 0;
}

}  // namespace jpeg_internal
