#include "testhost/host/misuse.h"

#include <mutex>

namespace qvh {
namespace {

std::mutex &misuseMutex()
{
    static std::mutex *mutex = new std::mutex;
    return *mutex;
}

std::vector<std::string> &reports()
{
    static std::vector<std::string> *list = new std::vector<std::string>;
    return *list;
}

} // namespace

void reportMisuse(const std::string &what)
{
    std::lock_guard<std::mutex> lock(misuseMutex());
    reports().push_back(what);
}

std::vector<std::string> misuseReports()
{
    std::lock_guard<std::mutex> lock(misuseMutex());
    return reports();
}

void clearMisuse()
{
    std::lock_guard<std::mutex> lock(misuseMutex());
    reports().clear();
}

} // namespace qvh
