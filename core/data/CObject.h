#pragma once

class CArchive;

// Base of every record: something that can write itself to an archive.
class CObject {
public:
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar) = 0;
};
