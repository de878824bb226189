// The file-system natives behind the script engine's File and Folder
// (scripts/script_files.js): open files by number, reading, writing, listing.
// As in the host, reading is always allowed, while writing, removing and
// creating need the preference that lets scripts write files.
#include "testhost/host/host.h"
#include "testhost/os/os.h"
#include "testhost/scripting/script_engine_internal.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// Duktape raises script errors with longjmp, which skips C++ destructors: each
// native checks all its arguments before it makes any C++ object.
namespace qvh {
namespace {

std::map<int, FILE *> &openFiles()
{
    static std::map<int, FILE *> files;  /* guarded by the engine's lock */
    return files;
}

FILE *fileArg(duk_context *ctx, duk_idx_t idx)
{
    auto it = openFiles().find(duk_require_int(ctx, idx));
    return it == openFiles().end() ? nullptr : it->second;
}

// A path argument as the file system spells it.
std::string pathArg(duk_context *ctx, duk_idx_t idx)
{
    duk_require_string(ctx, idx);
    return takeText(ctx, idx);
}

const char *openMode(const std::string &mode)
{
    if (mode == "w")
        return "wb";
    if (mode == "a")
        return "ab";
    if (mode == "e")
        return "r+b";
    return "rb";
}

bool mayWrite() { return host().allowScriptAccess; }

duk_ret_t fsOpen(duk_context *ctx)
{
    static int next = 1;
    const char *mode = openMode(duk_require_string(ctx, 1));
    FILE *f = std::strcmp(mode, "rb") == 0 || mayWrite() ? os::openFile(pathArg(ctx, 0), mode) : nullptr;
    if (!f) {
        duk_push_int(ctx, -1);
        return 1;
    }
    openFiles()[next] = f;
    duk_push_int(ctx, next++);
    return 1;
}

// The rest of `f`, or false when it holds more than the engine's heap could
// (a device such as /dev/zero never ends).
bool readRest(FILE *f, std::string &text)
{
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
        if (n > kScriptHeapLimit - text.size())
            return false;
        text.append(buffer, n);
    }
    return true;
}

duk_ret_t fsRead(duk_context *ctx)
{
    FILE *f = fileArg(ctx, 0);
    bool fits = true, pushed = false;
    {
        std::string text;
        fits = !f || readRest(f, text);
        pushed = fits && pushTextProtected(ctx, text);
    }
    if (!fits)
        return duk_error(ctx, DUK_ERR_RANGE_ERROR, "file too large for the script engine's memory");
    if (!pushed)
        return duk_throw(ctx);  /* the heap's error, now that no C++ object is alive */
    return 1;
}

duk_ret_t fsWrite(duk_context *ctx)
{
    FILE *f = fileArg(ctx, 0);
    duk_require_string(ctx, 1);
    std::string text = takeText(ctx, 1);
    duk_push_boolean(ctx, f && std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0);
    return 1;
}

duk_ret_t fsClose(duk_context *ctx)
{
    FILE *f = fileArg(ctx, 0);
    if (f)
        openFiles().erase(duk_require_int(ctx, 0));
    duk_push_boolean(ctx, f && std::fclose(f) == 0);
    return 1;
}

// 0: nothing there, 1: a file, 2: a folder.
duk_ret_t fsStat(duk_context *ctx)
{
    duk_push_int(ctx, os::pathKind(pathArg(ctx, 0)));
    return 1;
}

duk_ret_t fsRemove(duk_context *ctx)
{
    duk_push_boolean(ctx, mayWrite() && os::removeFile(pathArg(ctx, 0)));
    return 1;
}

duk_ret_t fsMkdir(duk_context *ctx)
{
    duk_push_boolean(ctx, mayWrite() && os::makeFolder(pathArg(ctx, 0)));
    return 1;
}

// The names in a folder matching a wildcard, sorted; null without the folder.
duk_ret_t fsList(duk_context *ctx)
{
    const char *mask = duk_require_string(ctx, 1);
    std::vector<std::string> names;
    if (!os::listFolder(pathArg(ctx, 0), mask, names)) {
        duk_push_null(ctx);
        return 1;
    }
    std::sort(names.begin(), names.end());
    duk_push_array(ctx);
    for (std::size_t i = 0; i < names.size(); ++i) {
        pushText(ctx, names[i]);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    return 1;
}

duk_ret_t fsCwd(duk_context *ctx)
{
    pushText(ctx, os::currentFolder());
    return 1;
}

bool uriSafe(unsigned char c)
{
    return std::isalnum(c) || std::string("/-_.~!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string::npos;
}

duk_ret_t fsUri(duk_context *ctx)
{
    std::string path = pathArg(ctx, 0);
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02X", c);
        out += uriSafe(c) ? std::string(1, static_cast<char>(c)) : std::string(escape);
    }
    duk_push_lstring(ctx, out.data(), out.size());
    return 1;
}

int hexValue(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
         : std::isxdigit(static_cast<unsigned char>(c)) ? (std::tolower(c) - 'a' + 10) : -1;
}

duk_ret_t fsUnuri(duk_context *ctx)
{
    std::string text = pathArg(ctx, 0);
    std::size_t size = text.size();
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        if (text[i] == '%' && i + 2 < size && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    pushText(ctx, out);
    return 1;
}

const duk_function_list_entry kFsFunctions[] = {
    {"open", fsOpen, 2},     {"read", fsRead, 1},   {"write", fsWrite, 2}, {"close", fsClose, 1},
    {"stat", fsStat, 1},     {"remove", fsRemove, 1}, {"mkdir", fsMkdir, 1}, {"list", fsList, 2},
    {"cwd", fsCwd, 0},       {"uri", fsUri, 1},     {"unuri", fsUnuri, 1}, {nullptr, nullptr, 0}};

} // namespace

void registerFileNatives(duk_context *ctx)
{
    duk_get_global_string(ctx, "__qvh");
    duk_push_object(ctx);
    duk_put_function_list(ctx, -1, kFsFunctions);
    duk_put_prop_string(ctx, -2, "fs");
    duk_pop(ctx);
}

void closeScriptFiles()
{
    for (auto &entry : openFiles())
        std::fclose(entry.second);
    openFiles().clear();
}

} // namespace qvh
