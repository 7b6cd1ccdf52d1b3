#pragma once

namespace platform {

// For as long as it lives, the C library's number formatting on the calling thread writes a decimal
// point, whatever locale the process took from the user's environment (the toolkit takes it at start
// on Linux: under ru_RU.UTF-8 printf would write "0,75"). For code that writes files whose format
// wants "0.75", such as the workbooks' XML. Other threads keep their locale.
class ClassicNumbersScope {
public:
    ClassicNumbersScope();
    ~ClassicNumbersScope();
    ClassicNumbersScope(const ClassicNumbersScope&) = delete;
    ClassicNumbersScope& operator=(const ClassicNumbersScope&) = delete;

private:
#ifdef _WIN32
    int m_threadMode = 0;
    char m_previous[64] = {};
#else
    void* m_classic = nullptr;
    void* m_previous = nullptr;
#endif
};

} // namespace platform
