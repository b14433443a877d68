// A data reference: the object behind a handle data reference of type 'zvh '
// that QuickTime hands to the plug-in's data handler. Data references form a
// tree: the root stands for the importer's input, and each file a reference
// movie points to becomes a child, spawned while the movie is opened.
//
// A parent does not own its children: a data reference frees only its own
// list. Every node must outlive the movies opened through it, since QuickTime
// keeps handle data references to them for as long as a movie is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datahandler/datahandler_export.h"

class MOVIE_APPLE_QT_API CMDataRef {
public:
    virtual ~CMDataRef();
    CMDataRef(const CMDataRef& other);
    CMDataRef& operator=(const CMDataRef& other);

    virtual std::string get_url() const = 0;
    // The count read, unchanged from the source.
    virtual int64_t read(unsigned char* buffer, int64_t count) = 0;
    // origin 0: from the start. The new position, or a negative value.
    virtual int64_t seek(int64_t offset, uint8_t origin) = 0;
    virtual int64_t size() = 0;
    virtual CMDataRef* spawn_new_data_ref_impl(std::string url) = 0;
    // The default has no static resolves: the empty string.
    virtual std::string get_static_resolve(const std::string& url) const;

    void set_parent(CMDataRef* parent);
    CMDataRef* get_parent() const;
    const std::vector<CMDataRef*>& get_children() const;

    // Makes a child of the same kind for url and attaches it; null when the
    // child cannot be made (the children stay as they were).
    CMDataRef* spawn_new_data_ref(std::string url);

    // Prints the tree below node to standard output: one line per root and
    // per leaf, "# " + two blanks per level + "url='<url>'".
    static void PrintDataRef(CMDataRef* node, int indent);

protected:
    CMDataRef();

private:
    std::vector<CMDataRef*> m_children;
    CMDataRef* m_parent;
};
