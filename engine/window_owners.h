// Which threads own the engines' GLFW windows. Windows destroys a window only
// on the thread that made it: GLFW's terminate on another thread leaves such
// a window, and with it GLFW's window class, behind, and no later glfwInit
// succeeds. The global shutdown asks here whether terminating is safe.
// Callers hold engineMutex. Elsewhere nothing is tracked.
#pragma once

struct GLFWwindow;

namespace qv {

void noteGlfwInitialised();  // the calling thread made GLFW's helper window
void noteWindowMade(GLFWwindow *window);
void noteWindowDestroyed(GLFWwindow *window);
void forgetAllWindows();  // after glfwTerminate

// True when a thread other than the caller, still running, owns one of the
// engines' windows or GLFW's helper window.
bool otherThreadsOwnWindows();

} // namespace qv
