// qvhost project files as anyone may write them: random and mutated JSON.
// Reading one either gives a project or is refused with a message
// (ProjectError), never another exception; a project the effect accepts,
// saved back, is an equivalent file: it loads again, it names every value of
// the original with the same value (a code value by its text), and saving
// what it loads gives the same file again.
#include "storage/expression_data.h"
#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/host/handles.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"
#include "testhost/host/plugin.h"
#include "testhost/project/project_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

namespace {

void expect(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "project fuzz: %s\n", what);
        std::abort();
    }
}

// The effect set up and its parameters declared, once; set down at exit, so
// that the declaration's default values are disposed of before the
// simulator's tables go.
struct Setup {
    Setup() : plugin(QV_PLUGIN_PATH), effect(plugin)
    {
        expect(effect.globalSetup().err == PF_Err_NONE, "global setup failed");
        declared.reset(new qvh::DeclaredParams(effect));
        expect(declared->setup().err == PF_Err_NONE, "parameter setup failed");
    }
    ~Setup()
    {
        declared.reset();
        effect.globalSetdown();
    }
    qvh::Plugin plugin;
    qvh::Effect effect;
    std::unique_ptr<qvh::DeclaredParams> declared;
};

qvh::DeclaredParams &params()
{
    static Setup setup;
    return *setup.declared;
}

// Reads `text`; false when it is refused, which must come with a message.
bool read(const std::string &text, qvh::Project *project, std::unique_ptr<qvh::Instance> *instance)
{
    try {
        *project = qvh::ProjectFromJson(text);
        *instance = qvh::Instance::fromProject(params(), *project);
        return true;
    } catch (const qvh::ProjectError &e) {
        expect(std::strlen(e.what()) > 0, "a refusal without a message");
        return false;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "project fuzz: %s\n", e.what());
        expect(false, "a project was refused with something else than a ProjectError");
    }
    return false;
}

const qvh::SavedValue *find(const qvh::Project &project, A_long diskId)
{
    for (const qvh::SavedValue &v : project.values)
        if (v.diskId == diskId)
            return &v;
    return nullptr;
}

std::string flatText(const std::string &bytes)
{
    return bytes.substr(0, qv::FlatTextLength(bytes.data(), bytes.size()));
}

// Every value of `original` is in `saved`, unchanged.
void expectSameValues(const qvh::Project &original, const qvh::Project &saved)
{
    expect(saved.effect == original.effect, "the effect's name changed");
    for (const qvh::SavedValue &v : original.values) {
        const qvh::SavedValue *s = find(saved, v.diskId);
        expect(s && s->type == v.type, "a value was lost or changed its type");
        if (v.type == PF_Param_ARBITRARY_DATA)
            expect(flatText(s->bytes) == flatText(v.bytes), "a code value's text changed");
        else
            expect(s->numbers == v.numbers, "a value changed");
    }
    expect(saved.hasSequenceData, "the sequence data was lost");
}

void roundTrip(const qvh::Project &original, qvh::Instance &instance)
{
    const std::string file = qvh::ProjectToJson(instance.toProject());
    qvh::Project saved;
    std::unique_ptr<qvh::Instance> again;
    expect(read(file, &saved, &again), "a saved project does not load");
    expectSameValues(original, saved);
    expect(qvh::ProjectToJson(again->toProject()) == file, "saving a loaded save gives another file");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    params();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::size_t handles = qvh::hostHandles().live(), memory = qvh::memoryHandles().live();
    {
        qvh::Project project;
        std::unique_ptr<qvh::Instance> instance;
        if (read(std::string(reinterpret_cast<const char *>(data), size), &project, &instance))
            roundTrip(project, *instance);
    }
    expect(qvh::hostHandles().live() == handles && qvh::memoryHandles().live() == memory, "handles leaked");
    expect(qvh::host().misuse().empty(), "the effect misused a host service");
    return 0;
}
